// The driver's host-side failures, with hosts that refuse one step each.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "driver/driver.h"
#include "fdk/host.h"
#include "host/standalone_host.h"
#include "support/run_command.h"

namespace pendra::driver {
namespace {

// A host whose new documents have no first paragraph.
class NoParagraphHost : public host::StandaloneHost {
 public:
  F_ObjHandleT getId(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum) override {
    return propNum == FP_FirstPgf ? 0 : StandaloneHost::getId(docId, objId, propNum);
  }
};

// A host without default import parameters.
class NoImportListHost : public host::StandaloneHost {
 public:
  F_PropValsT importDefaultParams() override { return {}; }
};

// A host that records the import parameters the driver passes.
class RecordingHost : public host::StandaloneHost {
 public:
  F_ObjHandleT import(F_ObjHandleT docId, const F_TextLocT& loc, ConStringT path,
                      const F_PropValsT& params, F_PropValsT* returned) override {
    seen = params;
    return StandaloneHost::import(docId, loc, path, params, returned);
  }
  F_ObjHandleT customDoc(const fdk::PageGeometry& g) override {
    lastGeometry = g;
    return StandaloneHost::customDoc(g);
  }
  F_PropValsT seen;
  fdk::PageGeometry lastGeometry;
};

class DriverFailures : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("doc.tex", "Some text.\n");
    DriverOptions options;
    options.progressTrace = false;
    setOptions(options);
  }
  void TearDown() override { fdk::installHost(nullptr); }
  // Runs one notification with `host` installed; returns the console text.
  std::string run(fdk::Host& host) {
    fdk::installHost(&host);
    ::testing::internal::CaptureStderr();
    F_ApiNotify(0, 0, (dir_.path / "doc.tex").c_str(), 0);
    return ::testing::internal::GetCapturedStderr();
  }
  testing::TempDir dir_{"driver-failures"};
};

TEST_F(DriverFailures, NoInsertionPointLeavesTheMifFileAndHandsNothingBack) {
  NoParagraphHost host;
  std::string err = run(host);
  EXPECT_NE(err.find("MIF not inserted, no insertion point\n"), std::string::npos) << err;
  EXPECT_EQ(host.returnedDocument(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(dir_.path / "doc.mif"));
  EXPECT_EQ(err.find("Deleted MIF file"), std::string::npos);
}

TEST_F(DriverFailures, EmptyImportListLeavesTheMifFileAndHandsNothingBack) {
  NoImportListHost host;
  std::string err = run(host);
  EXPECT_NE(err.find("Can't get default import list\n"), std::string::npos) << err;
  EXPECT_EQ(host.returnedDocument(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(dir_.path / "doc.mif"));
}

TEST_F(DriverFailures, ImportGetsItsPropertiesAndTheDocumentItsGeometry) {
  RecordingHost host;
  std::string err = run(host);
  ASSERT_NE(host.returnedDocument(), nullptr) << err;
  EXPECT_TRUE(host.unloadRequested());
  for (auto [prop, value] : {std::pair{4, 6}, std::pair{18, 1}, std::pair{7, 0}}) {
    IntT i = F_ApiGetPropIndex(&host.seen, prop);
    ASSERT_GE(i, 0) << prop;
    EXPECT_EQ(host.seen.val[static_cast<std::size_t>(i)].intValue, value) << prop;
  }
  const fdk::PageGeometry& g = host.lastGeometry;
  EXPECT_EQ(g.width, 612 * 65536);
  EXPECT_EQ(g.height, 0x3180000);
  EXPECT_EQ(g.columns, 1);
  EXPECT_EQ(g.columnGap, 18 * 65536);
  EXPECT_EQ(g.top, 0x480000);
  EXPECT_EQ(g.left, 0x480000);
  EXPECT_EQ(g.sidedness, 0);
  EXPECT_EQ(g.visible, 0);
  // The MIF file is gone once imported.
  EXPECT_FALSE(std::filesystem::exists(dir_.path / "doc.mif"));
}

}  // namespace
}  // namespace pendra::driver
