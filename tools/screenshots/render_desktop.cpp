// qor-render-desktop: draws the tray icon's image and renders pictures of the driver's desktop face
// (tray menu, command window, About dialog, the seven pages of the administration sheet) from a real
// driver on the emulated registers, on Qt's offscreen platform.
//
//   qor-render-desktop --icon resources/brand.ico
//   qor-render-desktop --screenshots docs/screenshots

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <memory>

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

bool Save(QWidget& widget, const QDir& folder, const QString& name) {
  widget.show();
  QTest::qWait(50);
  const bool saved = widget.grab().save(folder.filePath(name + ".png"), "PNG");
  widget.hide();
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(folder.filePath(name + ".png")));
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
  {
    driver::CAboutDialog about(*dialog, store, chooser);
    about.resize(520, about.sizeHint().height());
    saved &= Save(about, folder, "about_dialog");
  }
  driver::CDriverSheetHost host(*dialog);
  driver::CPropDialog sheet(host);
  sheet.resize(560, 520);
  const char* names[] = {"reports", "zero_set", "departments", "plus", "offers", "headers", "utilities"};
  for (int page = 0; page < driver::kSheetPages; ++page) {
    sheet.Tabs().setCurrentIndex(page);
    if (page == 2) sheet.ShowStatus(driver::LoadMessage("3"));
    else sheet.ShowStatus("");
    saved &= Save(sheet, folder, QString("sheet_") + names[page]);
  }
  dialog->PostClose();
  QTest::qWaitFor([&] { return dialog->IsClosed(); }, 20000);
  return saved ? 0 : 1;
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
