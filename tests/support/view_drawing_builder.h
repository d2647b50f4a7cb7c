// Builds view drawings for the tests and benchmarks of the drawing library:
// blocks named as view blocks (F_L0, S_R45, ...) with outlines of a known
// number of entities, optionally an attribute definition or a reference to
// another block (itself included), saved as a drawing file.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cad/acdb.h"

namespace testsupport {

struct ViewBlock {
  ViewBlock(std::wstring blockName, int outlineLines = 4, double outlineRadius = 10,
            AcGePoint3d basePoint = AcGePoint3d(), bool withAttribute = false,
            std::wstring referenced = std::wstring())
      : name(std::move(blockName)),
        lines(outlineLines),
        radius(outlineRadius),
        origin(basePoint),
        attribute(withAttribute),
        reference(std::move(referenced)) {}

  std::wstring name;
  int lines;               // a closed outline of this many lines round the origin
  double radius;           // the outline's corners lie on this circle
  AcGePoint3d origin;      // the block's base point
  bool attribute;          // an attribute definition TAG at (10, 5) with height 2.5
  std::wstring reference;  // a reference to this block at (0, 0) when not empty
};

// Blocks for every view (F, S, B) and hand (L, R) at each angle, each an
// outline of `lines` lines.
std::vector<ViewBlock> viewBlocks(const std::vector<int>& angles, int lines);

// A new drawing (the caller deletes it) holding the blocks, their lines on the
// layer OUTLINE (colour 3), and nothing in model space.
AcDbDatabase* buildViewDrawing(const std::vector<ViewBlock>& blocks);
// Builds the drawing and saves it; the folders on the way are made. False when
// it cannot be saved.
bool writeViewDrawing(const std::string& path, const std::vector<ViewBlock>& blocks);

// Writes raw bytes to a file (for damaged drawings).
void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);

}  // namespace testsupport
