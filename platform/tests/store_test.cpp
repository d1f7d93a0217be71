#include "platform/store.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "testsupport/temp_folder.h"

namespace {

using platform::Store;
using testsupport::TempFolder;

constexpr const char* kServer = "HKEY_CLASSES_ROOT\\CLSID\\{733B543D-B49E-4292-BC5D-B86E254EA671}\\InprocServer32";

TEST(Store, MissingStoreHasNoKeys) {
  TempFolder folder;
  Store store(folder / "registry");
  EXPECT_FALSE(store.KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE"));
  EXPECT_EQ(store.GetValue(kServer, ""), std::nullopt);
}

TEST(Store, ValuesRoundTripWithKeysMatchedIgnoringCase) {
  TempFolder folder;
  Store store(folder / "sub/registry");  // the folder is created on the first write
  ASSERT_TRUE(store.SetValue(kServer, "", "/opt/qor/libQorMonitor.so"));
  ASSERT_TRUE(store.SetValue(kServer, "ThreadingModel", "Apartment"));
  ASSERT_TRUE(store.SetValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\VARO\\TillJob", "Language", "line\\one\ntwo"));

  Store again(folder / "sub/registry");
  EXPECT_EQ(again.GetValue("hkey_classes_root\\clsid\\{733b543d-b49e-4292-bc5d-b86e254ea671}\\inprocserver32", ""),
            "/opt/qor/libQorMonitor.so");
  EXPECT_EQ(again.GetValue(kServer, "threadingmodel"), "Apartment");
  EXPECT_EQ(again.GetValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\VARO\\TillJob\\", "Language"), "line\\one\ntwo");
  EXPECT_TRUE(again.KeyExists("HKEY_CLASSES_ROOT\\CLSID"));  // parents are created
  EXPECT_EQ(again.SubKeys("HKEY_LOCAL_MACHINE\\SOFTWARE"), std::vector<std::string>{"VARO"});
}

TEST(Store, DeleteTreeRemovesTheKeyAndEverythingBelow) {
  TempFolder folder;
  Store store(folder / "registry");
  store.SetValue("HKEY_CLASSES_ROOT\\QorMonitor.QorSpy", "", "QorSpy Class");
  store.SetValue("HKEY_CLASSES_ROOT\\QorMonitor.QorSpy\\CLSID", "", "{x}");
  store.SetValue("HKEY_CLASSES_ROOT\\QorMonitor.QorSpy.1", "", "kept");
  ASSERT_TRUE(store.DeleteTree("HKEY_CLASSES_ROOT\\QorMonitor.QorSpy"));
  EXPECT_FALSE(store.KeyExists("HKEY_CLASSES_ROOT\\QorMonitor.QorSpy\\CLSID"));
  EXPECT_FALSE(store.KeyExists("HKEY_CLASSES_ROOT\\QorMonitor.QorSpy"));
  EXPECT_EQ(store.GetValue("HKEY_CLASSES_ROOT\\QorMonitor.QorSpy.1", ""), "kept");
  EXPECT_TRUE(store.DeleteTree("HKEY_CLASSES_ROOT\\Missing"));
}

TEST(Store, ConcurrentWritersLoseNothing) {
  TempFolder folder;
  std::vector<std::thread> writers;
  for (int w = 0; w < 4; ++w) {
    writers.emplace_back([&folder, w] {
      Store store(folder / "registry");
      for (int i = 0; i < 25; ++i) store.SetValue("HKEY_LOCAL_MACHINE\\T" + std::to_string(w), "v" + std::to_string(i), "x");
    });
  }
  for (std::thread& t : writers) t.join();
  Store store(folder / "registry");
  for (int w = 0; w < 4; ++w)
    for (int i = 0; i < 25; ++i)
      EXPECT_EQ(store.GetValue("HKEY_LOCAL_MACHINE\\T" + std::to_string(w), "v" + std::to_string(i)), "x");
}

}  // namespace
