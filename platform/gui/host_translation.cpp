// Loading the host's translation.
#include "gui/host_translation.h"

#include <QCoreApplication>

namespace zrgui {

HostTranslation::HostTranslation(const QLocale& locale) {
  // Only Chinese is translated; Taiwan's and Hong Kong's traditional script
  // would be read wrongly in simplified characters, so they keep English.
  if (locale.language() != QLocale::Chinese ||
      locale.script() == QLocale::TraditionalChineseScript ||
      locale.territory() == QLocale::Taiwan || locale.territory() == QLocale::HongKong) {
    return;
  }
  m_installed = m_translator.load(QStringLiteral(":/translations/fancad_zh_CN.qm")) &&
                QCoreApplication::installTranslator(&m_translator);
}

HostTranslation::~HostTranslation() {
  if (m_installed) QCoreApplication::removeTranslator(&m_translator);
}

}  // namespace zrgui
