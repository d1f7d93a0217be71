// qor-render-desktop: draws the tray icon's image and renders pictures of the driver's desktop face
// (tray menu, command window, About dialog, the seven pages of the administration sheet and the
// question before the fiscal closure) from a real driver on the emulated registers, on Qt's offscreen
// platform. Every window is pictured at the size it opens at; each page after a person's action,
// with what the registers answered on its status line.
//
//   qor-render-desktop --icon resources/brand.ico
//   qor-render-desktop --screenshots docs/screenshots

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "driver/about_dialog.h"
#include "driver/admin/prop_dialog.h"
#include "driver/driver_sheet_host.h"
#include "driver/messages.h"
#include "driver/qor_driver_dlg.h"
#include "driver/tray_commands.h"
#include "driver/tray_icon.h"
#include "emulator/emulator_control.h"
#include "platform/store.h"

namespace {

// A till with a receipt coming out of its top: the paper, the register body with its display, keys.
QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);
  QPainterPath receipt;
  receipt.moveTo(18, 30);
  receipt.lineTo(18, 4);
  for (int x = 18; x < 46; x += 4) {
    receipt.lineTo(x + 2, 1);
    receipt.lineTo(x + 4, 4);
  }
  receipt.lineTo(46, 30);
  painter.setPen(QPen(QColor(90, 90, 90), 1));
  painter.setBrush(Qt::white);
  painter.drawPath(receipt);
  painter.setPen(QPen(QColor(120, 120, 120), 1.5));
  for (int y = 9; y <= 24; y += 5) painter.drawLine(22, y, y == 24 ? 34 : 42, y);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(24, 62, 120));
  painter.drawRoundedRect(QRectF(4, 26, 56, 36), 6, 6);
  painter.setBrush(QColor(140, 220, 120));
  painter.drawRoundedRect(QRectF(10, 31, 44, 10), 2, 2);
  painter.setPen(QPen(QColor(20, 70, 20), 2));
  painter.drawLine(36, 34, 36, 38);
  painter.drawLine(42, 34, 42, 38);
  painter.drawLine(48, 34, 48, 38);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(230, 230, 240));
  for (int row = 0; row < 2; ++row)
    for (int column = 0; column < 5; ++column) painter.drawRoundedRect(QRectF(10 + column * 9, 45 + row * 7, 7, 5), 1, 1);
  return image;
}

int WriteIcon(const char* path) {
  if (!DrawIcon(driver::kTrayIconSize).save(path, "ICO")) {
    std::fprintf(stderr, "cannot write %s\n", path);
    return 1;
  }
  return 0;
}

class CFixedChooser final : public driver::IFolderChooser {
 public:
  std::optional<std::string> ChooseFolder(QWidget*, const std::string&, const std::string&) override { return {}; }
};

// The folders of a user's installation (qor-setup's default base directory), so the pictures show
// what a shop's machine shows rather than a scratch folder.
constexpr const char* kUserBase = "/home/till/.local/share/qor/";

// Each picture must show the window as it opens: one that grew or shrank since is not written.
bool Save(QWidget& widget, const QDir& folder, const QString& name, QSize opening = {}) {
  widget.show();
  QTest::qWait(50);
  if (opening.isValid() && widget.size() != opening) {
    std::fprintf(stderr, "%s: the window is %dx%d, not the %dx%d it opened at\n", qPrintable(name), widget.width(),
                 widget.height(), opening.width(), opening.height());
    return false;
  }
  const bool saved = widget.grab().save(folder.filePath(name + ".png"), "PNG");
  std::printf("%s %s (%dx%d)\n", saved ? "wrote" : "could not write", qPrintable(folder.filePath(name + ".png")),
              widget.width(), widget.height());
  return saved;
}

// A driver on the emulated registers in a fresh base directory with the shipped English catalogue.
std::unique_ptr<driver::CQorDriverDlg> StartDriver(const QString& base, platform::Store& store,
                                                   driver::IMessageBox& messageBox) {
  QFile::copy(QString(QOR_RESOURCES_DIR) + "/EnglishMessages.txt", base + "/EnglishMessages.txt");
  QFile::copy(QString(QOR_RESOURCES_DIR) + "/brand.ico", base + "/brand.ico");
  const std::string baseDirectory = base.toStdString() + "/";
  auto choose = [baseDirectory](const platform::Store&) {
    auto emulator = std::make_shared<emulator::CEmulatorControl>(baseDirectory);
    driver::CControlChoice choice;
    choice.m_BaseDirectory = baseDirectory;
    choice.m_Control = emulator.get();
    choice.m_Owner = std::move(emulator);
    return choice;
  };
  auto dialog = std::make_unique<driver::CQorDriverDlg>(driver::CDriverEnvironment{&store, &messageBox, nullptr, choose});
  dialog->OnInitDialog();
  return dialog;
}

// Enters value into the page's control of that name as a person does: text into a field, a choice
// into a selector, a tick into a radio button (value unused).
void Enter(QWidget& page, const char* name, const char* value) {
  if (auto* field = page.findChild<QLineEdit*>(name)) field->setText(value);
  if (auto* selector = page.findChild<QComboBox*>(name)) selector->setCurrentText(value);
  if (auto* choice = page.findChild<QRadioButton*>(name)) choice->setChecked(true);
}

// What a person did on each page before its picture, so its status line shows what the registers
// answered: the register (index in the list of registers 1, 2, 3, 4 of types 1, 2, 0, 3), the
// controls set, the button pressed ("" for none), and the start of the status line to wait for.
struct CPageScene {
  const char* m_Name;
  int m_Ecr;
  std::vector<std::pair<const char*, const char*>> m_Entries;
  const char* m_Button;
  const char* m_Awaited;
};

const std::vector<CPageScene>& Scenes() {
  static const std::vector<CPageScene> scenes = {
      {"reports", 0, {{"report0", ""}}, "print", "ECR 1: done"},
      {"zero_set", 2, {{"zeroSet0", ""}}, "", ""},
      {"departments", 2,
       {{"department", "13"}, {"description", "FRUIT AND VEG"}, {"price", "0.00"}, {"lalo", "0.10"}, {"halo", "500.00"}},
       "send", "Departments above 12"},
      {"plus", 0, {{"code", "8001234567890"}, {"description", "ESPRESSO BEANS 1KG"}, {"price", "18.9O"}}, "send", "PRICE"},
      {"offers", 1, {{"code", "1001"}, {"description", "3 FOR 2 CROISSANTS"}, {"price", "2.40"}, {"offer", "3"}}, "send",
       "ECR 2: done"},
      {"headers", 2,
       {{"line1", "CAFFE DEL CORSO"}, {"line2", "VIA DEL CORSO 112"}, {"line3", "00186 ROMA"},
        {"line4", "P.IVA 01234567890"}, {"line5", "TEL 06 1234567"}, {"line6", "GRAZIE, A PRESTO"}},
       "send", "ECR 3: done"},
      {"utilities", 1, {{"command", "0;*3;"}}, "ioDirect", "ECR 2 answered"},
  };
  return scenes;
}

// The sheet at the size it opens at, each page after a person's action, waiting for the registers.
bool RenderSheet(driver::CQorDriverDlg& dialog, const QDir& folder) {
  driver::CDriverSheetHost host(dialog);
  driver::CPropDialog sheet(host);
  QObject::connect(&dialog, &driver::CQorDriverDlg::SheetJobOutcome, &sheet, &driver::CPropDialog::JobEnded);
  sheet.show();
  const QSize opening = sheet.size();
  bool saved = true;
  const std::vector<CPageScene>& scenes = Scenes();
  for (int page = 0; page < driver::kSheetPages; ++page) {
    const CPageScene& scene = scenes[static_cast<std::size_t>(page)];
    driver::CAdminPage& shown = sheet.Page(page);
    sheet.Tabs().setCurrentIndex(page);
    shown.EcrSelector().setCurrentIndex(scene.m_Ecr);
    emit shown.EcrSelector().activated(scene.m_Ecr);
    for (const auto& [name, value] : scene.m_Entries) Enter(shown, name, value);
    sheet.ShowStatus("");
    if (*scene.m_Button) shown.findChild<QAbstractButton*>(scene.m_Button)->click();
    const std::string awaited = scene.m_Awaited;
    if (!QTest::qWaitFor([&] { return sheet.StatusText().rfind(awaited, 0) == 0; }, 20000))
      std::fprintf(stderr, "%s: the status line reads \"%s\"\n", scene.m_Name, sheet.StatusText().c_str());
    saved &= Save(sheet, folder, QString("sheet_") + scene.m_Name, opening);
  }
  return saved;
}

// The question before the fiscal closure, as it stands over the sheet.
bool RenderClosureQuestion(driver::CQorDriverDlg& dialog, const QDir& folder) {
  driver::CDriverSheetHost host(dialog);
  driver::CPropDialog sheet(host);
  sheet.show();
  sheet.Tabs().setCurrentIndex(1);
  driver::CAdminPage& page = sheet.Page(1);
  page.EcrSelector().setCurrentIndex(2);
  bool saved = false;
  QTimer::singleShot(100, [&] {
    if (auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      saved = Save(*question, folder, "zero_set_question");
      question->button(QMessageBox::No)->click();
    }
  });
  page.findChild<QAbstractButton*>("daily")->click();
  return saved;
}

int RenderScreenshots(const char* outputFolder) {
  QDir folder(outputFolder);
  folder.mkpath(".");
  QTemporaryDir base;
  platform::Store store((base.path() + "/registry").toStdString());
  driver::CHeadlessMessageBox messageBox;
  std::unique_ptr<driver::CQorDriverDlg> dialog = StartDriver(base.path(), store, messageBox);
  CFixedChooser chooser;
  driver::CTrayCommands commands(*dialog, store, messageBox, chooser);
  bool saved = true;
  {
    driver::CTrayIcon tray(commands);
    tray.Menu().popup(QPoint(0, 0));
    QTest::qWait(50);
    saved &= tray.Menu().grab().save(folder.filePath("tray_menu.png"), "PNG");
    tray.Menu().hide();
    tray.Add(dialog->BaseDirectory() + driver::kTrayIconFile, driver::TrayPresence::Window);
    saved &= Save(*tray.Window(), folder, "tray_window");
  }
  saved &= RenderSheet(*dialog, folder);
  saved &= RenderClosureQuestion(*dialog, folder);
  {
    // Last, as the folders move: a user's installation as the dialog opens on it.
    dialog->ChangeFolders(std::string(kUserBase) + "Reports", std::string(kUserBase) + "Tickets");
    driver::CAboutDialog about(*dialog, store, chooser, messageBox);
    about.show();
    saved &= Save(about, folder, "about_dialog", about.size());
  }
  dialog->PostClose();
  const bool closed = QTest::qWaitFor([&] { return dialog->IsClosed(); }, 20000);
  return saved && closed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--icon") == 0) {
    QGuiApplication application(argc, argv);
    return WriteIcon(argv[2]);
  }
  if (argc == 3 && std::strcmp(argv[1], "--screenshots") == 0) {
    QApplication application(argc, argv);
    return RenderScreenshots(argv[2]);
  }
  std::fprintf(stderr, "usage: qor-render-desktop --icon FILE.ico | --screenshots FOLDER\n");
  return 2;
}
