// The language of the host's own windows: its menus, dialogs and messages in
// Chinese (zh_CN, built from translations/fancad_zh_CN.ts into the library's
// resources) when the user's locale is Chinese, in English otherwise. The
// module's dialogs and every line the commands print keep their own texts,
// so a script and the console read the same in every locale.
#pragma once

#include <QLocale>
#include <QTranslator>

namespace zrgui {

// Installs the host's translation for locale into the application for as long
// as it lives; nothing (English) for a locale without one.
class HostTranslation {
 public:
  explicit HostTranslation(const QLocale& locale);
  ~HostTranslation();
  HostTranslation(const HostTranslation&) = delete;
  HostTranslation& operator=(const HostTranslation&) = delete;

  bool installed() const { return m_installed; }

 private:
  QTranslator m_translator;
  bool m_installed = false;
};

}  // namespace zrgui
