// qor-regsvr run as its own process on a temporary store, with the real QorMonitor module.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include "platform/store.h"
#include "testsupport/temp_folder.h"

namespace tools {
namespace {

constexpr char kInproc[] = "HKEY_CLASSES_ROOT\\CLSID\\{733B543D-B49E-4292-BC5D-B86E254EA671}\\InprocServer32";

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

ToolRun RunTool(const std::string& registry, const QStringList& arguments, const QString& workingFolder = {}) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QOR_REGISTRY", QString::fromStdString(registry));
  process.setProcessEnvironment(environment);
  if (!workingFolder.isEmpty()) process.setWorkingDirectory(workingFolder);
  process.start(QStringLiteral(QOR_REGSVR_PATH), arguments);
  ToolRun run;
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return run;
  run.status = process.exitCode();
  run.out = process.readAllStandardOutput().toStdString();
  run.err = process.readAllStandardError().toStdString();
  return run;
}

int Lines(const std::string& text) {
  int count = 0;
  for (char c : text) count += c == '\n' ? 1 : 0;
  return count;
}

TEST(Regsvr, RegistersWithTheAbsoluteModulePathAndUnregisters) {
  struct Row {
    const char* name;
    QString argument;
    QString workingFolder;
  };
  const QString module = QStringLiteral(QOR_MONITOR_MODULE);
  const QString folder = module.left(module.lastIndexOf('/'));
  const Row kRows[] = {
      {"absolute path", module, {}},
      {"path relative to the working folder", "./" + module.mid(folder.size() + 1), folder},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    testsupport::TempFolder temp;
    platform::Store store(temp / "registry");

    ToolRun registered = RunTool(store.Path(), {row.argument}, row.workingFolder);
    ASSERT_EQ(0, registered.status) << registered.err;
    EXPECT_EQ(1, Lines(registered.out));
    EXPECT_NE(std::string::npos, registered.out.find(module.toStdString()));
    EXPECT_EQ(module.toStdString(), store.GetValue(kInproc, "").value_or("<missing>"));
    EXPECT_EQ("QorSpy Class", store.GetValue("HKEY_CLASSES_ROOT\\QorMonitor.QorSpy", "").value_or("<missing>"));

    ToolRun unregistered = RunTool(store.Path(), {"-u", row.argument}, row.workingFolder);
    ASSERT_EQ(0, unregistered.status) << unregistered.err;
    EXPECT_EQ(1, Lines(unregistered.out));
    EXPECT_FALSE(store.KeyExists(kInproc));
    EXPECT_FALSE(store.KeyExists("HKEY_CLASSES_ROOT\\QorMonitor.QorSpy"));
    EXPECT_TRUE(store.KeyExists("HKEY_CLASSES_ROOT\\CLSID"));
  }
}

TEST(Regsvr, BadUsageChangesNothing) {
  const QString module = QStringLiteral(QOR_MONITOR_MODULE);
  const QStringList kRows[] = {{}, {"-u"}, {"-x", module}, {module, module}, {"-u", "-u", module}, {module, "-u"}};
  for (const QStringList& arguments : kRows) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    testsupport::TempFolder temp;
    ToolRun run = RunTool(temp / "registry", arguments);
    EXPECT_EQ(2, run.status);
    EXPECT_NE(std::string::npos, run.err.find("usage: qor-regsvr [-u] MODULE"));
    EXPECT_FALSE(testsupport::FileExists(temp / "registry"));
  }
}

TEST(Regsvr, FileThatIsNoModuleFailsAndNamesIt) {
  testsupport::TempFolder temp;
  testsupport::WriteFile(temp / "notes.so", "not a module");
  const std::string kRows[] = {temp / "notes.so", temp / "missing.so"};
  for (const std::string& path : kRows) {
    SCOPED_TRACE(path);
    for (const QStringList& arguments : {QStringList{QString::fromStdString(path)}, QStringList{"-u", QString::fromStdString(path)}}) {
      ToolRun run = RunTool(temp / "registry", arguments);
      EXPECT_EQ(1, run.status);
      EXPECT_NE(std::string::npos, run.err.find(path));
      EXPECT_TRUE(run.out.empty());
      EXPECT_FALSE(testsupport::FileExists(temp / "registry"));
    }
  }
}

}  // namespace
}  // namespace tools
