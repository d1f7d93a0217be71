#include "driver/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <cstring>

#include "driver/messages.h"

namespace driver {
namespace {

// Qt's file name suffix of each language; English is Qt's own.
struct CQtLanguage {
  const char* m_Name;
  const char* m_Code;
};
constexpr CQtLanguage kQtLanguages[] = {{"Greek", "el"}, {"Italian", "it"}};

// Standard button texts as Qt's platform themes ask for them, and their message numbers.
struct CButtonText {
  const char* m_Source;
  const char* m_Number;
};
constexpr CButtonText kButtonTexts[] = {{"&Yes", "89"}, {"&No", "90"}, {"OK", "91"}, {"&OK", "91"},
                                        {"Cancel", "92"}, {"&Cancel", "92"}};
constexpr const char* kButtonContexts[] = {"QPlatformTheme", "QGnomeTheme"};

bool OneOf(const char* text, const auto& list) {
  for (const char* entry : list)
    if (std::strcmp(text, entry) == 0) return true;
  return false;
}

}  // namespace

QString CCatalogueButtons::translate(const char* context, const char* sourceText, const char*, int) const {
  if (context == nullptr || sourceText == nullptr || !OneOf(context, kButtonContexts)) return {};
  for (const CButtonText& button : kButtonTexts) {
    if (std::strcmp(sourceText, button.m_Source) != 0) continue;
    const std::string text = LoadMessage(button.m_Number);
    return text == kMissingMessage ? QString() : QString::fromLocal8Bit(text.c_str());
  }
  return {};
}

CQtTranslation::CQtTranslation() { QCoreApplication::installTranslator(&m_Buttons); }

CQtTranslation::~CQtTranslation() {
  QCoreApplication::removeTranslator(&m_Qt);
  QCoreApplication::removeTranslator(&m_Buttons);
}

void CQtTranslation::Use(const std::string& language) {
  QCoreApplication::removeTranslator(&m_Qt);
  m_QtLoaded = false;
  for (const CQtLanguage& qt : kQtLanguages) {
    if (language != qt.m_Name) continue;
    m_QtLoaded = m_Qt.load(QStringLiteral("qtbase_") + QLatin1String(qt.m_Code),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (m_QtLoaded) QCoreApplication::installTranslator(&m_Qt);
  }
  // Installed last, the catalogue's buttons are asked first.
  QCoreApplication::removeTranslator(&m_Buttons);
  QCoreApplication::installTranslator(&m_Buttons);
}

}  // namespace driver
