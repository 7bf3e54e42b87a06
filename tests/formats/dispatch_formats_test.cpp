// DriverProc hands the format messages to negotiation, with or without an instance.
#include "formats/format_builder.h"
#include "support/attached_driver.h"

namespace {

class FormatDispatchTest : public AttachedDriverTest, public ::testing::WithParamInterface<bool> {
protected:
    DWORD_PTR DriverId() {
        if (!GetParam()) {
            return Send(0, DRV_OPEN);  // the configuration-only open
        }
        instance_ = Open();
        return instance_;
    }
    void TearDown() override {
        if (instance_ != 0) {
            Close(instance_);
        }
        AttachedDriverTest::TearDown();
    }

private:
    DWORD_PTR instance_ = 0;
};

LPARAM Param(const BITMAPINFOHEADER& format) {
    return reinterpret_cast<LPARAM>(&format);
}

TEST_P(FormatDispatchTest, AnswersTheFiveFormatMessages) {
    const DWORD_PTR id = DriverId();
    const BITMAPINFOHEADER rgb = Pal(BI_RGB, 24);
    const BITMAPINFOHEADER badRgb = Pal(BI_RGB, 16);
    BITMAPINFOHEADER proposal{};
    EXPECT_EQ(Send(id, ICM_COMPRESS_QUERY, Param(rgb)), ICERR_OK);
    EXPECT_EQ(Send(id, ICM_COMPRESS_QUERY, Param(badRgb)), ICERR_BADFORMAT);
    EXPECT_EQ(Send(id, ICM_COMPRESS_GET_SIZE, Param(rgb)), 829460);
    EXPECT_EQ(Send(id, ICM_COMPRESS_GET_FORMAT, Param(rgb)), 40);
    ASSERT_EQ(Send(id, ICM_COMPRESS_GET_FORMAT, Param(rgb), Param(proposal)), ICERR_OK);
    EXPECT_EQ(proposal.biCompression, kFourCCQlnu);

    EXPECT_EQ(Send(id, ICM_DECOMPRESS_QUERY, Param(proposal), Param(rgb)), ICERR_OK);
    EXPECT_EQ(Send(id, ICM_DECOMPRESS_QUERY, Param(proposal), Param(badRgb)), ICERR_BADFORMAT);
    EXPECT_EQ(Send(id, ICM_DECOMPRESS_GET_FORMAT, Param(proposal)), 40);
    BITMAPINFOHEADER picture{};
    ASSERT_EQ(Send(id, ICM_DECOMPRESS_GET_FORMAT, Param(proposal), Param(picture)), ICERR_OK);
    EXPECT_EQ(picture.biSizeImage, 1244160u);
}

INSTANTIATE_TEST_SUITE_P(Opens, FormatDispatchTest, ::testing::Bool(), [](const auto& info) {
    return info.param ? "WithAnInstance" : "ConfigurationOnly";
});

}  // namespace
