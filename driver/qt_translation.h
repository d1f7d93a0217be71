#pragma once
// Qt's own texts in the driver's language: the standard buttons of message boxes and dialogs (Yes,
// No, OK, Cancel) and Qt's dialogs such as the folder chooser. Qt's translation of the language is
// loaded when the system has one (Debian's qt6-translations-l10n); the standard buttons come from
// the message catalogue in every case, so a language Qt has no translation of (Greek on Debian 12)
// still gets its Yes and No.

#include <QTranslator>
#include <string>

namespace driver {

// The standard buttons' texts from the current catalogue; every other text is left to Qt.
class CCatalogueButtons final : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char* disambiguation, int n) const override;
  bool isEmpty() const override { return false; }
};

class CQtTranslation {
 public:
  CQtTranslation();
  ~CQtTranslation();
  CQtTranslation(const CQtTranslation&) = delete;
  CQtTranslation& operator=(const CQtTranslation&) = delete;

  // Installs the translations of language (one of kLanguages), replacing those of the one before.
  void Use(const std::string& language);
  // Whether Qt's own translation of the language in use was found.
  bool QtTranslationLoaded() const { return m_QtLoaded; }

 private:
  QTranslator m_Qt;
  CCatalogueButtons m_Buttons;
  bool m_QtLoaded = false;
};

}  // namespace driver
