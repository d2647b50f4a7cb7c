// The desktop's own commands.
#include "desktop_commands.h"

#include <string>

#include <QString>

#include "base/cstring.h"
#include "base/file_functions.h"
#include "cad/acdb.h"
#include "cad/aced.h"
#include "gui/plot_page.h"

namespace fancad {

int layerColorCommand() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) {
    cadrt::printLine(L"No drawing is open.");
    return RTERROR;
  }
  int color = 0;
  acedInitGet(RSG_NONULL | RSG_NOZERO | RSG_NONEG, nullptr);
  int rc = acedGetInt(L"Enter color number (1-255): ", &color);
  if (rc != RTNORM) return rc;
  if (color > 255) {
    cadrt::printLine(L"Color number must be between 1 and 255.");
    return RTERROR;
  }
  ACHAR name[512];
  if ((rc = acedGetString(1, L"Enter layer name: ", name, 512)) != RTNORM) return rc;
  AcDbLayerTable* table = nullptr;
  AcDbObjectId id;
  if (db->getLayerTable(table, AcDb::kForRead) == Acad::eOk) {
    table->getAt(name, id);
    table->close();
  }
  AcDbObjectPointer<AcDbLayerTableRecord> layer(id, AcDb::kForWrite);
  if (!layer) {
    cadrt::printLine(L"No layer \"" + std::wstring(name) + L"\".");
    return RTERROR;
  }
  AcCmColor c;
  c.setColorIndex(static_cast<short>(color));
  layer->setColor(c);
  return RTNORM;
}

namespace {

// One of PLOT's choices: Enter keeps what settings hold.
int askPlotChoice(const wchar_t* prompt, zrgui::PlotPrompt which, const char* refusal,
                  zrgui::PlotSettings& settings) {
  std::string answer;
  const int rc = cadrt::promptChecked(
      prompt, cadrt::AnswerSpan::Word,
      [&](const std::string& text) {
        zrgui::PlotSettings probe = settings;
        return zrgui::readPlotAnswer(which, QString::fromStdString(text), probe) ? std::string()
                                                                                 : refusal;
      },
      answer);
  if (rc == RTNORM) zrgui::readPlotAnswer(which, QString::fromStdString(answer), settings);
  return rc == RTNONE ? RTNORM : rc;
}

}  // namespace

int plotCommand() {
  const AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) {
    cadrt::printLine(L"No drawing is open.");
    return RTERROR;
  }
  using zrgui::PlotPrompt;
  zrgui::PlotSettings s;
  int rc = askPlotChoice(L"Paper size [A4/A3] <A4>: ", PlotPrompt::Paper, "answer A4 or A3", s);
  if (rc == RTNORM) {
    rc = askPlotChoice(L"Orientation [Portrait/Landscape] <Landscape>: ", PlotPrompt::Orientation,
                       "answer Portrait or Landscape", s);
  }
  if (rc == RTNORM) {
    rc = askPlotChoice(L"Plot scale, 1:N or [Fit] <Fit>: ", PlotPrompt::Scale,
                       "answer Fit, or 1:N with N a positive number", s);
  }
  if (rc == RTNORM) {
    rc = askPlotChoice(L"Plot colours [Colour/Monochrome] <Colour>: ", PlotPrompt::Colours,
                       "answer Colour or Monochrome", s);
  }
  if (rc != RTNORM) return rc;
  std::string file;
  rc = cadrt::promptChecked(
      L"PDF file name: ", cadrt::AnswerSpan::RestOfLine,
      [&](const std::string& text) {
        return zrgui::writePlotPdf(db, s, QString::fromStdWString(zrbase::pathFromBytes(text)));
      },
      file);
  if (rc != RTNORM) return rc == RTNONE ? RTCAN : rc;
  cadrt::printLine(L"Plot written to " + zrbase::utf8ToWide(file) + L".");
  return RTNORM;
}

void registerDesktopCommands() {
  cadrt::CommandProcessor::instance().addHostCommand(L"LAYERCOLOR", layerColorCommand);
  cadrt::CommandProcessor::instance().addHostCommand(L"PLOT", plotCommand);
}

}  // namespace fancad
