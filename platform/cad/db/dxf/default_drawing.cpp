// The drawing every new database starts from, built here as DXF text: the tables, layout
// blocks, layouts and dictionaries that DXF R2010 readers (AutoCAD, LibreCAD, ezdxf) expect
// of a drawing, with nothing drawn.
//
// What is in it, and why:
// - HEADER: the settings of a new metric drawing (millimetres, A3 limits, text 2.5 high)
//   and $HANDSEED. Dates are not part of the text: a database made from it is dated when it
//   is made (newDrawing), and the writer dates every save.
// - CLASSES: one entry for each class-based object kind the OBJECTS section holds.
// - TABLES: the nine tables with the entries every drawing has: viewport *Active, line
//   types ByBlock, ByLayer and Continuous, layer 0, text and dimension style Standard,
//   application ACAD, block records *Model_Space and *Paper_Space.
// - BLOCKS: the (empty) definitions of the two layout blocks; ENTITIES: empty.
// - OBJECTS: the named object dictionary first, with the groups dictionary, the layouts
//   Model and Layout1 that the layout blocks point to, the multiline style Standard that
//   $CMLSTYLE names, and the plot style Normal that layer 0 points to.
// What else a CAD program keeps in a drawing (materials, visual styles, table and multileader
// styles, scale lists) AutoCAD and ezdxf make themselves when a drawing they open lacks it.
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <tuple>

#include "cad/db/database_impl.h"
#include "cad/db/dxf/drawing_clock.h"
#include "cad/db/dxf/dxf_file.h"
#include "cad/db/dxf/tag_writer.h"

namespace zrcad::dxf {
namespace {

// The handles of the records, numbered in the order they are listed; the last is the seed.
enum Handle : std::uint64_t {
  kVportTable = 1,
  kLtypeTable,
  kLayerTable,
  kStyleTable,
  kViewTable,
  kUcsTable,
  kAppidTable,
  kDimstyleTable,
  kBlockRecordTable,
  kActiveVport,
  kByBlock,
  kByLayer,
  kContinuous,
  kLayerZero,
  kStandardStyle,
  kAcadApp,
  kStandardDimstyle,
  kModelRecord,
  kPaperRecord,
  kModelBlock,
  kModelBlockEnd,
  kPaperBlock,
  kPaperBlockEnd,
  kRootDictionary,
  kGroupDictionary,
  kLayoutDictionary,
  kMlineStyleDictionary,
  kPlotStyleDictionary,
  kNormalPlotStyle,
  kModelLayout,
  kPaperLayout,
  kStandardMlineStyle,
  kHandleSeed
};

// The sheet of a new drawing: ISO A3 landscape, in millimetres.
constexpr double kSheetWidth = 420.0;
constexpr double kSheetHeight = 297.0;
constexpr const char* kSheetName = "ISO_A3_(420.00_x_297.00_MM)";
// Text height of the text style and dimension style Standard.
constexpr double kTextHeight = 2.5;

struct HeaderSetting {
  const char* name;
  int code;
  const char* value;
};

constexpr HeaderSetting kHeaderSettings[] = {
    {"$ACADVER", 1, "AC1024"},      // the release the writer writes
    {"$LTSCALE", 40, "1.0"},        // line type scale
    {"$TEXTSIZE", 40, "2.5"},       // height of new text
    {"$TEXTSTYLE", 7, "Standard"},  // style of new text
    {"$CLAYER", 8, "0"},            // layer of new entities
    {"$CELTYPE", 6, "ByLayer"},     // line type of new entities
    {"$CECOLOR", 62, "256"},        // colour of new entities: by layer
    {"$DIMSTYLE", 2, "Standard"},   // style of new dimensions
    {"$LUNITS", 70, "2"},           // lengths shown as decimals
    {"$MEASUREMENT", 70, "1"},      // metric line types and hatch patterns
    {"$INSUNITS", 70, "4"},         // drawing units are millimetres
    {"$TILEMODE", 70, "1"},         // model space is the current layout
    {"$CMLSTYLE", 2, "Standard"},   // style of new multilines
    {"$PSTYLEMODE", 290, "1"},      // plot styles by colour
};

// Class-based object kinds of the OBJECTS section, and how many there are of each.
struct ClassEntry {
  const char* dxfName;
  const char* className;
  int instances;
};

constexpr ClassEntry kClasses[] = {
    {"ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault", 1},
    {"ACDBPLACEHOLDER", "AcDbPlaceHolder", 1},
    {"LAYOUT", "AcDbLayout", 2},
};

struct NamedRecord {
  const char* name;
  Handle handle;
};

constexpr NamedRecord kLineTypes[] = {
    {"ByBlock", kByBlock}, {"ByLayer", kByLayer}, {"Continuous", kContinuous}};

class DefaultDrawingBuilder {
 public:
  explicit DefaultDrawingBuilder(std::string& out) : m_w(out) {}
  void build();

 private:
  void header();
  void classes();
  void tables();
  void activeViewport();
  void lineTypes();
  void layerAndTextStyle();
  void dimensionStyle();
  void blockRecords();
  void blocks();
  void objects();
  void dictionary(const char* type, Handle h, Handle owner,
                  std::initializer_list<NamedRecord> entries);
  void layout(Handle h, const char* name, int tabOrder, Handle blockRecord);
  void sheetSettings(bool model);
  void tableHead(const char* name, Handle h, int count);
  void record(const char* type, Handle h, Handle owner, const char* marker, const char* name);
  void ownedObject(const char* type, Handle h, Handle owner);
  void section(const char* name) {
    m_w.str(0, "SECTION");
    m_w.str(2, name);
  }
  void point2(int code, double x, double y) {
    m_w.real(code, x);
    m_w.real(code + 10, y);
  }
  void point3(int code, double x, double y, double z) {
    point2(code, x, y);
    m_w.real(code + 20, z);
  }

  TagWriter m_w;
};

void DefaultDrawingBuilder::build() {
  header();
  classes();
  tables();
  blocks();
  section("ENTITIES");
  m_w.str(0, "ENDSEC");
  objects();
  m_w.str(0, "EOF");
}

void DefaultDrawingBuilder::header() {
  section("HEADER");
  for (const HeaderSetting& s : kHeaderSettings) {
    m_w.str(9, s.name);
    m_w.str(s.code, s.value);
  }
  m_w.str(9, "$LIMMIN");
  point2(10, 0, 0);
  m_w.str(9, "$LIMMAX");
  point2(10, kSheetWidth, kSheetHeight);
  m_w.str(9, "$HANDSEED");
  m_w.handle(5, kHandleSeed);
  m_w.str(0, "ENDSEC");
}

void DefaultDrawingBuilder::classes() {
  section("CLASSES");
  for (const ClassEntry& c : kClasses) {
    m_w.str(0, "CLASS");
    m_w.str(1, c.dxfName);
    m_w.str(2, c.className);
    m_w.str(3, "ObjectDBX Classes");
    m_w.integer(90, 0);  // no proxy capabilities
    m_w.integer(91, c.instances);
    m_w.integer(280, 0);  // not a proxy
    m_w.integer(281, 0);  // not an entity
  }
  m_w.str(0, "ENDSEC");
}

void DefaultDrawingBuilder::tableHead(const char* name, Handle h, int count) {
  m_w.str(0, "TABLE");
  m_w.str(2, name);
  m_w.handle(5, h);
  m_w.str(330, "0");
  m_w.str(100, "AcDbSymbolTable");
  m_w.integer(70, count);
}

// The head every table record shares; dimension styles give their handle as group 105.
void DefaultDrawingBuilder::record(const char* type, Handle h, Handle owner, const char* marker,
                                   const char* name) {
  m_w.str(0, type);
  m_w.handle(h == kStandardDimstyle ? 105 : 5, h);
  m_w.handle(330, owner);
  m_w.str(100, "AcDbSymbolTableRecord");
  m_w.str(100, marker);
  m_w.str(2, name);
  m_w.integer(70, 0);
}

void DefaultDrawingBuilder::tables() {
  section("TABLES");
  // In the order of the DXF reference, which AutoCAD keeps.
  activeViewport();
  lineTypes();
  layerAndTextStyle();
  tableHead("VIEW", kViewTable, 0);
  m_w.str(0, "ENDTAB");
  tableHead("UCS", kUcsTable, 0);
  m_w.str(0, "ENDTAB");
  tableHead("APPID", kAppidTable, 1);
  record("APPID", kAcadApp, kAppidTable, "AcDbRegAppTableRecord", "ACAD");
  m_w.str(0, "ENDTAB");
  dimensionStyle();
  blockRecords();
  m_w.str(0, "ENDSEC");
}

// The view of a new drawing shows the whole sheet, in plan, with snap and grid off.
void DefaultDrawingBuilder::activeViewport() {
  tableHead("VPORT", kVportTable, 1);
  record("VPORT", kActiveVport, kVportTable, "AcDbViewportTableRecord", "*Active");
  point2(10, 0, 0);                               // lower left of the window
  point2(11, 1, 1);                               // upper right of the window
  point2(12, kSheetWidth / 2, kSheetHeight / 2);  // view centre
  point2(13, 0, 0);                               // snap base
  point2(14, 10, 10);                             // snap spacing
  point2(15, 10, 10);                             // grid spacing
  point3(16, 0, 0, 1);                            // view direction: from above
  point3(17, 0, 0, 0);                            // view target
  m_w.real(40, kSheetHeight);                     // view height
  m_w.real(41, kSheetWidth / kSheetHeight);       // aspect ratio
  m_w.real(42, 50.0);                             // lens length
  m_w.real(43, 0.0);                              // front and back clipping
  m_w.real(44, 0.0);
  m_w.real(50, 0.0);      // snap rotation
  m_w.real(51, 0.0);      // view twist
  m_w.integer(71, 0);     // no perspective, no clipping
  m_w.integer(72, 1000);  // circle zoom percent
  m_w.integer(73, 1);     // fast zoom
  m_w.integer(74, 3);     // UCS icon on, at the origin
  m_w.integer(75, 0);     // snap off
  m_w.integer(76, 0);     // grid off
  m_w.integer(77, 0);     // standard snap style
  m_w.integer(78, 0);     // isometric plane
  m_w.integer(281, 0);    // render mode 2D
  m_w.integer(65, 1);     // the UCS goes with the viewport
  point3(110, 0, 0, 0);   // UCS origin and axes
  point3(111, 1, 0, 0);
  point3(112, 0, 1, 0);
  m_w.integer(79, 0);
  m_w.real(146, 0.0);  // elevation
  m_w.str(0, "ENDTAB");
}

void DefaultDrawingBuilder::lineTypes() {
  tableHead("LTYPE", kLtypeTable, static_cast<int>(std::size(kLineTypes)));
  for (const NamedRecord& lt : kLineTypes) {
    record("LTYPE", lt.handle, kLtypeTable, "AcDbLinetypeTableRecord", lt.name);
    m_w.str(3, lt.handle == kContinuous ? "Solid line" : "");
    m_w.integer(72, 65);  // alignment 'A', the only one there is
    m_w.integer(73, 0);   // no dashes
    m_w.real(40, 0.0);    // pattern length
  }
  m_w.str(0, "ENDTAB");
}

void DefaultDrawingBuilder::layerAndTextStyle() {
  tableHead("LAYER", kLayerTable, 1);
  record("LAYER", kLayerZero, kLayerTable, "AcDbLayerTableRecord", "0");
  m_w.integer(62, 7);  // white
  m_w.str(6, "Continuous");
  m_w.integer(370, -3);  // default line weight
  m_w.handle(390, kNormalPlotStyle);
  m_w.str(0, "ENDTAB");

  tableHead("STYLE", kStyleTable, 1);
  record("STYLE", kStandardStyle, kStyleTable, "AcDbTextStyleTableRecord", "Standard");
  m_w.real(40, 0.0);  // no fixed height
  m_w.real(41, 1.0);  // width factor
  m_w.real(50, 0.0);  // oblique angle
  m_w.integer(71, 0);
  m_w.real(42, kTextHeight);  // height last used
  m_w.str(3, "txt");          // AutoCAD's basic shape font
  m_w.str(4, "");
  m_w.str(0, "ENDTAB");
}

void DefaultDrawingBuilder::dimensionStyle() {
  // Sizes in proportion to the text height, as metric drawings size them (arrows as long as
  // the text is high, gaps a quarter of it), so that dimensions in millimetres are legible
  // without a style of their own.
  tableHead("DIMSTYLE", kDimstyleTable, 1);
  m_w.str(100, "AcDbDimStyleTable");
  record("DIMSTYLE", kStandardDimstyle, kDimstyleTable, "AcDbDimStyleTableRecord", "Standard");
  m_w.real(41, kTextHeight);        // arrow size
  m_w.real(42, kTextHeight / 4);    // extension line offset
  m_w.real(43, kTextHeight * 1.5);  // baseline spacing
  m_w.real(44, kTextHeight / 2);    // extension line extension
  m_w.real(140, kTextHeight);       // text height
  m_w.real(141, kTextHeight);       // centre mark size
  m_w.real(147, kTextHeight / 4);   // gap around text
  m_w.handle(340, kStandardStyle);  // text style
  m_w.str(0, "ENDTAB");
}

void DefaultDrawingBuilder::blockRecords() {
  tableHead("BLOCK_RECORD", kBlockRecordTable, 2);
  for (auto [name, h, layout] : {std::tuple{"*Model_Space", kModelRecord, kModelLayout},
                                 std::tuple{"*Paper_Space", kPaperRecord, kPaperLayout}}) {
    record("BLOCK_RECORD", h, kBlockRecordTable, "AcDbBlockTableRecord", name);
    m_w.handle(340, layout);
    m_w.integer(280, 1);  // explodable
    m_w.integer(281, 0);  // scaled non-uniformly too
  }
  m_w.str(0, "ENDTAB");
}

void DefaultDrawingBuilder::blocks() {
  section("BLOCKS");
  for (auto [name, record, begin, end] :
       {std::tuple{"*Model_Space", kModelRecord, kModelBlock, kModelBlockEnd},
        std::tuple{"*Paper_Space", kPaperRecord, kPaperBlock, kPaperBlockEnd}}) {
    m_w.str(0, "BLOCK");
    m_w.handle(5, begin);
    m_w.handle(330, record);
    m_w.str(100, "AcDbEntity");
    m_w.str(8, "0");
    m_w.str(100, "AcDbBlockBegin");
    m_w.str(2, name);
    m_w.integer(70, 0);
    point3(10, 0, 0, 0);
    m_w.str(3, name);
    m_w.str(1, "");
    m_w.str(0, "ENDBLK");
    m_w.handle(5, end);
    m_w.handle(330, record);
    m_w.str(100, "AcDbEntity");
    m_w.str(8, "0");
    m_w.str(100, "AcDbBlockEnd");
  }
  m_w.str(0, "ENDSEC");
}

// Objects owned by a dictionary name it as their owner and as their reactor.
void DefaultDrawingBuilder::ownedObject(const char* type, Handle h, Handle owner) {
  m_w.str(0, type);
  m_w.handle(5, h);
  m_w.str(102, "{ACAD_REACTORS");
  m_w.handle(330, owner);
  m_w.str(102, "}");
  m_w.handle(330, owner);
}

void DefaultDrawingBuilder::dictionary(const char* type, Handle h, Handle owner,
                                       std::initializer_list<NamedRecord> entries) {
  if (h == kRootDictionary) {
    m_w.str(0, type);
    m_w.handle(5, h);
    m_w.str(330, "0");  // owned by the drawing itself
  } else {
    ownedObject(type, h, owner);
  }
  m_w.str(100, "AcDbDictionary");
  m_w.integer(281, 1);  // a copy keeps the entries there are
  for (const NamedRecord& e : entries) {
    m_w.str(3, e.name);
    m_w.handle(350, e.handle);
  }
}

void DefaultDrawingBuilder::objects() {
  section("OBJECTS");
  // The named object dictionary comes first: readers take the first object for it.
  dictionary("DICTIONARY", kRootDictionary, Handle{0},
             {{"ACAD_GROUP", kGroupDictionary},
              {"ACAD_LAYOUT", kLayoutDictionary},
              {"ACAD_MLINESTYLE", kMlineStyleDictionary},
              {"ACAD_PLOTSTYLENAME", kPlotStyleDictionary}});
  dictionary("DICTIONARY", kGroupDictionary, kRootDictionary, {});
  dictionary("DICTIONARY", kLayoutDictionary, kRootDictionary,
             {{"Layout1", kPaperLayout}, {"Model", kModelLayout}});
  dictionary("DICTIONARY", kMlineStyleDictionary, kRootDictionary,
             {{"Standard", kStandardMlineStyle}});
  dictionary("ACDBDICTIONARYWDFLT", kPlotStyleDictionary, kRootDictionary,
             {{"Normal", kNormalPlotStyle}});
  m_w.str(100, "AcDbDictionaryWithDefault");
  m_w.handle(340, kNormalPlotStyle);
  ownedObject("ACDBPLACEHOLDER", kNormalPlotStyle, kPlotStyleDictionary);
  layout(kModelLayout, "Model", 0, kModelRecord);
  layout(kPaperLayout, "Layout1", 1, kPaperRecord);
  // Two lines half a unit either side of the middle, in the colour and line type of the layer.
  ownedObject("MLINESTYLE", kStandardMlineStyle, kMlineStyleDictionary);
  m_w.str(100, "AcDbMlineStyle");
  m_w.str(2, "Standard");
  m_w.integer(70, 0);
  m_w.str(3, "");
  m_w.integer(62, 256);
  m_w.real(51, 90.0);  // start and end angles
  m_w.real(52, 90.0);
  m_w.integer(71, 2);
  for (double offset : {0.5, -0.5}) {
    m_w.real(49, offset);
    m_w.integer(62, 256);
    m_w.str(6, "BYLAYER");
  }
  m_w.str(0, "ENDSEC");
}

void DefaultDrawingBuilder::layout(Handle h, const char* name, int tabOrder, Handle blockRecord) {
  ownedObject("LAYOUT", h, kLayoutDictionary);
  sheetSettings(h == kModelLayout);
  m_w.str(100, "AcDbLayout");
  m_w.str(1, name);
  m_w.integer(70, 1);  // line type scale in paper space units
  m_w.integer(71, tabOrder);
  point2(10, 0, 0);  // limits
  point2(11, kSheetWidth, kSheetHeight);
  point3(12, 0, 0, 0);           // insertion base
  point3(14, 1e20, 1e20, 1e20);  // extents of nothing drawn: minimum above maximum
  point3(15, -1e20, -1e20, -1e20);
  m_w.real(146, 0.0);   // elevation
  point3(13, 0, 0, 0);  // UCS origin and axes
  point3(16, 1, 0, 0);
  point3(17, 0, 1, 0);
  m_w.integer(76, 0);  // UCS not orthographic
  m_w.handle(330, blockRecord);
}

// How a layout plots: the whole sheet at 1:1 on no particular plotter.
void DefaultDrawingBuilder::sheetSettings(bool model) {
  m_w.str(100, "AcDbPlotSettings");
  m_w.str(1, "");  // page setup name
  m_w.str(2, "none_device");
  m_w.str(4, kSheetName);
  m_w.str(6, "");  // plot view name
  for (int margin = 40; margin <= 43; ++margin) m_w.real(margin, 0.0);
  m_w.real(44, kSheetWidth);  // paper size
  m_w.real(45, kSheetHeight);
  // Plot origin (46, 47) and plot window (48, 49 to 140, 141): none.
  for (int code : {46, 47, 48, 49, 140, 141}) m_w.real(code, 0.0);
  m_w.real(142, 1.0);  // custom scale 1:1
  m_w.real(143, 1.0);
  m_w.integer(70, model ? 1024 : 0);  // 1024: the model layout
  m_w.integer(72, 1);                 // paper in millimetres
  m_w.integer(73, 0);                 // not rotated
  m_w.integer(74, model ? 0 : 5);     // plots the display, or the layout
  m_w.str(7, "");                     // no plot style table
  m_w.integer(75, 16);                // standard scale 1:1
  m_w.integer(76, 0);                 // shaded viewports plot as displayed
  m_w.integer(77, 2);                 // normal shade plot resolution
  m_w.integer(78, 300);               // dots per inch
  m_w.real(147, 1.0);
  m_w.real(148, 0.0);  // paper image origin
  m_w.real(149, 0.0);
}

}  // namespace

std::string_view defaultDrawingText() {
  static const std::string kText = [] {
    std::string text;
    DefaultDrawingBuilder(text).build();
    return text;
  }();
  return kText;
}

Acad::ErrorStatus newDrawing(AcDbDatabase* db, std::string& message) {
  Acad::ErrorStatus es = readDxf(db, defaultDrawingText(), message);
  if (es != Acad::eOk) return es;
  TimePoint now = drawingTime();
  db->impl().setHeaderVar("$TDCREATE", {{40, 0, julianDateText(now, true)}});
  db->impl().setHeaderVar("$TDUCREATE", {{40, 0, julianDateText(now, false)}});
  return Acad::eOk;
}

}  // namespace zrcad::dxf
