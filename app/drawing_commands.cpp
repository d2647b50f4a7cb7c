// NEW, OPEN, SAVE and SAVEAS.
#include "drawing_commands.h"

#include <memory>
#include <string_view>

#include "base/console_input.h"
#include "base/cstring.h"
#include "base/file_functions.h"
#include "cad/acdb.h"
#include "cad/aced.h"

namespace fancad {

namespace {

// The path with '/' for '\\', as wide text that keeps the bytes of a name that is not
// UTF-8 (base/utf8.h).
std::wstring native(const std::wstring& path) {
  return zrbase::pathFromBytes(zrbase::nativePath(path.c_str()));
}

// A prompt for a file name whose answer is used by action, which returns ""
// or why the file cannot be used: a refused answer, as a wrong point is.
int fileCommand(const ACHAR* prompt, std::wstring (*action)(const std::wstring&)) {
  std::string path;
  const int rc = cadrt::promptChecked(
      prompt, cadrt::AnswerSpan::RestOfLine,
      [action](const std::string& text) {
        return zrbase::wideToUtf8(action(zrbase::pathFromBytes(text)));
      },
      path);
  return rc == RTNONE ? RTCAN : rc;
}

std::wstring openAction(const std::wstring& path) { return zrbase::utf8ToWide(openDrawing(path)); }

std::wstring saveAction(const std::wstring& path) { return zrbase::utf8ToWide(saveDrawing(path)); }

int newCommand() {
  if (const int rc = askToKeepUnsavedWork(); rc != RTNORM) return rc;
  newDrawing();
  return RTNORM;
}

int openCommand() {
  if (const int rc = askToKeepUnsavedWork(); rc != RTNORM) return rc;
  return fileCommand(L"Enter name of drawing to open: ", openAction);
}

int saveAsCommand() { return fileCommand(L"Save drawing as: ", saveAction); }

int saveCommand() {
  AcApDocument* doc = acDocManagerPtr()->curDocument();
  if (!doc) {
    cadrt::printLine(L"No drawing is open.");
    cadrt::noteCommandFailure(L"no drawing is open");
    return RTERROR;
  }
  if (!*doc->fileName()) return saveAsCommand();
  const std::string why = saveDrawing(doc->fileName());
  if (why.empty()) return RTNORM;
  cadrt::printLine(zrbase::utf8ToWide(why));
  cadrt::noteCommandFailure(zrbase::utf8ToWide(why));
  return RTERROR;
}

// The answer to "Save changes?": 'Y', 'N' or 'C' (any leading part of the word, any case).
char saveAnswer(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (std::string_view word : {"YES", "NO", "CANCEL"})
    if (!text.empty() && word.starts_with(text)) return word[0];
  return 0;
}

}  // namespace

int askToKeepUnsavedWork() {
  AcApDocument* doc = acDocManagerPtr()->curDocument();
  const zrbase::InputSource* in = zrbase::currentInput();
  if (!doc || !in || in->isScript() || !doc->hasUnsavedChanges() || doc->takeDiscardAllowed())
    return RTNORM;
  const std::wstring prompt =
      L"Save changes to " + std::wstring(doc->docTitle()) + L"? [Yes/No/Cancel] <Yes>: ";
  std::string answer;
  const int rc = cadrt::promptChecked(
      prompt.c_str(), cadrt::AnswerSpan::Word,
      [](const std::string& text) {
        return saveAnswer(text) ? std::string() : "answer Yes, No or Cancel";
      },
      answer);
  const char choice = rc == RTNONE ? 'Y' : rc == RTNORM ? saveAnswer(answer) : 'C';
  if (choice == 'N') return RTNORM;
  if (choice == 'C') return RTCAN;
  const int saved = saveCommand();
  // Only a save that left nothing unsaved lets the drawing go.
  return saved == RTNORM && !doc->hasUnsavedChanges() ? RTNORM : RTCAN;
}

std::string openDrawing(const std::wstring& path) {
  const std::wstring file = native(path);
  if (!PathFileExists(file.c_str())) {
    return "cannot open drawing '" + zrbase::wideToUtf8(path) + "': no such file";
  }
  auto db = std::make_unique<AcDbDatabase>(false, true);
  if (db->readDwgFile(file.c_str(), _SH_DENYWR) != Acad::eOk) {
    const std::wstring why = db->lastErrorText();
    return why.empty() ? "cannot read drawing '" + zrbase::wideToUtf8(path) + "'"
                       : zrbase::wideToUtf8(why);
  }
  acDocManagerPtr()->replaceDocument(std::make_unique<AcApDocument>(db.release(), file));
  return {};
}

void newDrawing(const std::wstring& fileName) {
  acDocManagerPtr()->replaceDocument(std::make_unique<AcApDocument>(
      new AcDbDatabase(true, false), fileName.empty() ? fileName : native(fileName)));
}

std::string saveDrawing(const std::wstring& path) {
  AcApDocument* doc = acDocManagerPtr()->curDocument();
  if (!doc) return "no drawing is open";
  const std::wstring file = native(path);
  if (file.empty()) return "a file name is needed";
  // Applications may put their last data into the drawing before it is written.
  AcRxDynamicLinker::instance()->sendAcrxMessage(AcRx::kSaveMsg);
  if (doc->database()->saveAs(file.c_str()) != Acad::eOk) {
    const std::wstring why = doc->database()->lastErrorText();
    return why.empty() ? "cannot save drawing '" + zrbase::wideToUtf8(path) + "'"
                       : zrbase::wideToUtf8(why);
  }
  doc->setFileName(file);
  return {};
}

void registerDrawingCommands() {
  cadrt::CommandProcessor& proc = cadrt::CommandProcessor::instance();
  proc.addHostCommand(L"NEW", newCommand);
  proc.addHostCommand(L"OPEN", openCommand);
  proc.addHostCommand(L"SAVE", saveCommand);
  proc.addHostCommand(L"SAVEAS", saveAsCommand);
}

}  // namespace fancad
