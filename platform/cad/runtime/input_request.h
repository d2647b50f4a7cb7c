// What the editor is waiting for while it reads an answer, for front ends that
// answer prompts with the mouse as well as with typed lines.
//
// Each prompt states its request for as long as it reads: a point (with the
// base point it is measured from, if any), an angle or a distance (which a
// point answers too), or a selection; anything else is a typed line. A front
// end reading the next line looks at the request to know what a click on the
// drawing means: the point "x,y", a window "w x1,y1 x2,y2"... (the answers of
// the input language). Requests nest as prompts do and are restored when the
// inner prompt is done; at the command prompt the request is a typed line.
#pragma once

#include <vector>

#include "cad/db/object_id.h"

namespace cadrt {

enum class InputKind { Line, Point, Angle, Distance, Selection };

struct InputRequest {
  InputKind kind = InputKind::Line;
  bool hasBase = false;  // base[] holds the point a rubber band starts from
  double base[3] = {0, 0, 0};
  // A typed line whose answer is the rest of the line, blanks and all (a file
  // or layer name); otherwise a blank ends the answer, as Enter does.
  bool freeText = false;
};

// The request of the innermost prompt reading now.
const InputRequest& currentInputRequest();

// States a request for the lifetime of the object, then restores the previous one.
class ScopedInputRequest {
 public:
  explicit ScopedInputRequest(const InputRequest& request);
  ScopedInputRequest(InputKind kind, const double* base, bool freeText = false);
  ~ScopedInputRequest();
  ScopedInputRequest(const ScopedInputRequest&) = delete;
  ScopedInputRequest& operator=(const ScopedInputRequest&) = delete;

 private:
  InputRequest m_previous;
};

// How the answer of the prompt moves the dragged entities: Move carries them
// from the prompt's base point to the point given (MOVE, COPY); Rotate turns
// them about the base point by the angle given (ROTATE).
enum class DragMotion { Move, Rotate };

// The entities a command moves by the answer of the point or angle prompts it
// asks while this object lives: a front end shows them following the cursor.
class ScopedDragPreview {
 public:
  explicit ScopedDragPreview(const std::vector<AcDbObjectId>& ids,
                             DragMotion motion = DragMotion::Move);
  ~ScopedDragPreview();
  ScopedDragPreview(const ScopedDragPreview&) = delete;
  ScopedDragPreview& operator=(const ScopedDragPreview&) = delete;

 private:
  const std::vector<AcDbObjectId>* m_previous;
  DragMotion m_previousMotion;
};

// The entities dragged now; null when no command drags any.
const std::vector<AcDbObjectId>* currentDragPreview();
// How they move; Move when none are dragged.
DragMotion currentDragMotion();

// A block a command is about to place where the point prompt it asks while
// this object lives is answered (INSERT at its insertion point): a front end
// shows a reference to it, at this scale and rotation, following the cursor.
struct InsertPreview {
  AcDbObjectId block;
  double scale = 1;
  double rotation = 0;  // radians, counter-clockwise
};

class ScopedInsertPreview {
 public:
  explicit ScopedInsertPreview(const InsertPreview& preview);
  ~ScopedInsertPreview();
  ScopedInsertPreview(const ScopedInsertPreview&) = delete;
  ScopedInsertPreview& operator=(const ScopedInsertPreview&) = delete;

 private:
  InsertPreview m_preview;
  const InsertPreview* m_previous;
};

// The block placed now; null when no command places one.
const InsertPreview* currentInsertPreview();

}  // namespace cadrt
