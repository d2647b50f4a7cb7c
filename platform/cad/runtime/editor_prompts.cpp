// The editor's prompts.
#include "cad/runtime/editor_prompts.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <functional>
#include <numbers>
#include <vector>

#include "base/console_input.h"
#include "base/cstring.h"
#include "base/text_case.h"
#include "base/user_action.h"
#include "cad/runtime/editor_input_stack.h"
#include "cad/runtime/editor_output.h"
#include "cad/runtime/input_request.h"

namespace cadrt {

namespace {

struct InitGet {
  int flags = 0;
  std::vector<std::wstring> keywords;
};

InitGet g_initGet;           // for the next prompt only
std::wstring g_lastKeyword;  // of the last RTKWORD

InitGet takeInitGet() {
  InitGet ig = std::move(g_initGet);
  g_initGet = InitGet{};
  return ig;
}

std::wstring upper(std::wstring s) { return zrbase::toUpper(s); }

// "S", "SC" and "SCALE" all select the keyword "Scale"; "X" does not.
std::optional<std::wstring> matchKeyword(const InitGet& ig, const std::string& text) {
  const std::wstring typed = upper(zrbase::utf8ToWide(text));
  if (typed.empty()) return std::nullopt;
  for (const std::wstring& kw : ig.keywords) {
    size_t capitals = 0;
    for (wchar_t c : kw) capitals += std::iswupper(static_cast<wint_t>(c)) ? 1 : 0;
    const std::wstring full = upper(kw);
    if (typed.size() <= full.size() && full.compare(0, typed.size(), typed) == 0 &&
        typed.size() >= std::max<size_t>(capitals, 1)) {
      return kw;
    }
  }
  return std::nullopt;
}

// Interprets an answer; returns an empty string when it was taken, else the
// reason it was refused.
using Interpret = std::function<std::string(const std::string&)>;

struct PromptSpec {
  const ACHAR* prompt = nullptr;
  AnswerSpan span = AnswerSpan::Word;
  bool emptyIsValue = false;  // strings: Enter is the empty string
  InputKind kind = InputKind::Line;
  const ads_real* base = nullptr;  // the base point of a point, angle or distance
};

int runPrompt(const PromptSpec& request, const InitGet& ig, const Interpret& interpret) {
  const ScopedInputRequest stated(request.kind, request.base,
                                  request.span == AnswerSpan::RestOfLine);
  for (;;) {
    if (request.prompt) writeText(request.prompt);
    Answer a = [&request] {
      // The user's time to answer is no part of the command's action.
      zrbase::UserInputWait waiting;
      return EditorInput::instance().next(request.span);
    }();
    if (a.atEnd()) return RTCAN;
    if (a.text() == "^C") {
      a.accept();
      return RTCAN;
    }
    std::string reason;
    if (a.text().empty() && !request.emptyIsValue) {
      if (!(ig.flags & RSG_NONULL)) {
        a.accept();
        return RTNONE;
      }
      reason = "A value is required.";
    } else {
      reason = interpret(a.text());
      if (reason.empty()) {
        a.accept();
        return RTNORM;
      }
      if (auto kw = matchKeyword(ig, a.text())) {
        g_lastKeyword = *kw;
        a.accept();
        return RTKWORD;
      }
    }
    a.reject(reason);
    if (a.origin() == Answer::Origin::Token) return RTERROR;
  }
}

std::string checkNumber(const InitGet& ig, double v) {
  if ((ig.flags & RSG_NOZERO) && v == 0) return "Value must be nonzero.";
  if ((ig.flags & RSG_NONEG) && v < 0) return "Value must be positive.";
  return {};
}

std::string withKeywords(const char* what, const InitGet& ig) {
  return ig.keywords.empty() ? std::string(what) + " required."
                             : std::string(what) + " or option keyword required.";
}

int copyOut(const std::wstring& text, ACHAR* result, size_t bufLen) {
  if (!result || bufLen == 0) return RTERROR;
  const size_t n = std::min(text.size(), bufLen - 1);
  std::wmemcpy(result, text.data(), n);
  result[n] = 0;
  return RTNORM;
}

// The second point of an angle or distance given by two points.
int secondPoint(const ads_point first, ads_point second) {
  const int rc = acedGetPoint(first, L"\nSpecify second point: ", second);
  return rc == RTNONE ? RTCAN : rc;
}

}  // namespace

std::optional<double> parseReal(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) {
    return std::nullopt;
  }
  return v;
}

bool parsePoint(std::string_view text, ads_point out) {
  double v[3] = {0, 0, 0};
  int n = 0;
  while (true) {
    const size_t comma = text.find(',');
    const std::string part = zrbase::trimLine(std::string(text.substr(0, comma)));
    if (n == 3) return false;
    const auto x = parseReal(part);
    if (!x) return false;
    v[n++] = *x;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (n < 2) return false;
  for (int i = 0; i < 3; ++i) out[i] = v[i];
  return true;
}

int promptChecked(const ACHAR* prompt, AnswerSpan span, const AnswerCheck& check,
                  std::string& out) {
  takeInitGet();
  std::string value;
  const int rc = runPrompt({prompt, span}, InitGet{}, [&](const std::string& text) {
    value = text;
    return check(text);
  });
  if (rc == RTNORM) out = value;
  return rc;
}

double degreesToRadians(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d < 0) d += 360.0;
  // Dividing first keeps the quarter turns exact (90 gives pi/2 to the bit).
  return d / 180.0 * std::numbers::pi;
}

}  // namespace cadrt

using cadrt::InitGet;
using cadrt::PromptSpec;
using cadrt::runPrompt;

int acedInitGet(int val, const ACHAR* kwl) {
  cadrt::g_initGet.flags = val;
  cadrt::g_initGet.keywords.clear();
  std::wstring word;
  for (const ACHAR* p = kwl; p && *p; ++p) {
    if (*p == L' ' || *p == L'\t') {
      if (!word.empty()) cadrt::g_initGet.keywords.push_back(word);
      word.clear();
    } else {
      word += *p;
    }
  }
  if (!word.empty()) cadrt::g_initGet.keywords.push_back(word);
  return RTNORM;
}

int acedGetPoint(const ads_point pt, const ACHAR* prompt, ads_point result) {
  const InitGet ig = cadrt::takeInitGet();
  ads_point value = {0, 0, 0};
  const PromptSpec request{prompt, cadrt::AnswerSpan::Word, false, cadrt::InputKind::Point, pt};
  const int rc = runPrompt(request, ig, [&](const std::string& text) {
    return cadrt::parsePoint(text, value) ? std::string() : cadrt::withKeywords("Point", ig);
  });
  if (rc == RTNORM && result) std::memcpy(result, value, sizeof(ads_point));
  return rc;
}

namespace {

// An angle or distance answered with a point: the line from the prompt's base
// point to it, or, without a base point, from it to a second point asked for.
int lineFromAnswer(const ads_real* pt, const ads_point first, ads_point base, ads_point second) {
  if (pt) {
    std::memcpy(base, pt, sizeof(ads_point));
    std::memcpy(second, first, sizeof(ads_point));
    return RTNORM;
  }
  std::memcpy(base, first, sizeof(ads_point));
  return cadrt::secondPoint(base, second);
}

}  // namespace

int acedGetAngle(const ads_point pt, const ACHAR* prompt, ads_real* result) {
  const InitGet ig = cadrt::takeInitGet();
  double angle = 0;
  ads_point first = {0, 0, 0};
  bool pointGiven = false;
  const PromptSpec request{prompt, cadrt::AnswerSpan::Word, false, cadrt::InputKind::Angle, pt};
  int rc = runPrompt(request, ig, [&](const std::string& text) {
    if (auto deg = cadrt::parseReal(text)) {
      angle = cadrt::degreesToRadians(*deg);
      return std::string();
    }
    if (cadrt::parsePoint(text, first)) {
      pointGiven = true;
      return std::string();
    }
    return cadrt::withKeywords("Angle or point", ig);
  });
  if (rc == RTNORM && pointGiven) {
    ads_point base = {0, 0, 0}, second = {0, 0, 0};
    rc = lineFromAnswer(pt, first, base, second);
    if (rc == RTNORM) {
      const double rad = std::atan2(second[1] - base[1], second[0] - base[0]);
      angle = rad < 0 ? rad + 2 * std::numbers::pi : rad;
    }
  }
  if (rc == RTNORM && result) *result = angle;
  return rc;
}

int acedGetDist(const ads_point pt, const ACHAR* prompt, ads_real* result) {
  const InitGet ig = cadrt::takeInitGet();
  double dist = 0;
  ads_point first = {0, 0, 0};
  bool pointGiven = false;
  const PromptSpec request{prompt, cadrt::AnswerSpan::Word, false, cadrt::InputKind::Distance, pt};
  int rc = runPrompt(request, ig, [&](const std::string& text) {
    if (auto v = cadrt::parseReal(text)) {
      dist = *v;
      return cadrt::checkNumber(ig, dist);
    }
    if (cadrt::parsePoint(text, first)) {
      pointGiven = true;
      return std::string();
    }
    return cadrt::withKeywords("Distance or point", ig);
  });
  if (rc == RTNORM && pointGiven) {
    ads_point base = {0, 0, 0}, second = {0, 0, 0};
    rc = lineFromAnswer(pt, first, base, second);
    if (rc == RTNORM) {
      dist = std::hypot(second[0] - base[0], second[1] - base[1], second[2] - base[2]);
    }
  }
  if (rc == RTNORM && result) *result = dist;
  return rc;
}

int acedGetReal(const ACHAR* prompt, ads_real* result) {
  const InitGet ig = cadrt::takeInitGet();
  double value = 0;
  const int rc = runPrompt({prompt}, ig, [&](const std::string& text) {
    const auto v = cadrt::parseReal(text);
    if (!v) return cadrt::withKeywords("A number", ig);
    value = *v;
    return cadrt::checkNumber(ig, value);
  });
  if (rc == RTNORM && result) *result = value;
  return rc;
}

int acedGetInt(const ACHAR* prompt, int* result) {
  const InitGet ig = cadrt::takeInitGet();
  int value = 0;
  const int rc = runPrompt({prompt}, ig, [&](const std::string& text) -> std::string {
    std::string_view t = text;
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    long v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
      return cadrt::withKeywords("An integer", ig);
    }
    if (v < -32768 || v > 32767) return "Value must be between -32768 and 32767.";
    value = static_cast<int>(v);
    return cadrt::checkNumber(ig, value);
  });
  if (rc == RTNORM && result) *result = value;
  return rc;
}

int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result, size_t bufLen) {
  cadrt::takeInitGet();
  std::wstring value;
  PromptSpec request{prompt, cronly ? cadrt::AnswerSpan::RestOfLine : cadrt::AnswerSpan::Word,
                     true};
  const int rc = runPrompt(request, InitGet{}, [&](const std::string& text) {
    value = zrbase::utf8ToWide(text);
    if (bufLen > 0 && value.size() <= bufLen - 1) return std::string();
    return "The text is longer than " + std::to_string(bufLen ? bufLen - 1 : 0) + " characters.";
  });
  if (rc != RTNORM) return rc;
  return cadrt::copyOut(value, result, bufLen);
}

int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result) {
  return acedGetString(cronly, prompt, result, 133);
}

int acedGetInput(ACHAR* str, size_t bufLen) {
  return cadrt::copyOut(cadrt::g_lastKeyword, str, bufLen);
}

int acedGetInput(ACHAR* str) { return acedGetInput(str, 133); }
