#include "scaler.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <string>
#include <utility>

#include "tool_error.h"

namespace {

// The pixel format with its samples' range: each "yuvj" format is its "yuv" twin at full range.
std::pair<AVPixelFormat, bool> FormatAndFullRange(const AVFrame& frame) {
    const auto format = static_cast<AVPixelFormat>(frame.format);
    const std::string name = av_get_pix_fmt_name(format);
    if (name.starts_with("yuvj")) {
        return {av_get_pix_fmt(("yuv" + name.substr(4)).c_str()), true};
    }
    return {format, !IsRgbPixelFormat(format) && frame.color_range == AVCOL_RANGE_JPEG};
}

// Whether the format shares chroma rows between lines (4:2:0, 4:1:0).
bool SharesChromaRows(AVPixelFormat format) {
    return av_pix_fmt_desc_get(format)->log2_chroma_h > 0;
}

// Whether a picture of `height` lines in `format` splits into two fields of whole chroma rows.
bool SplitsIntoFields(AVPixelFormat format, int height) {
    const int linesPerChromaRow = 1 << av_pix_fmt_desc_get(format)->log2_chroma_h;
    return height % (2 * linesPerChromaRow) == 0;
}

// Where a field's chroma rows lie between its lines, in 1/256 of a line: 4:2:0 chroma of an
// interlaced picture alternates between the fields, so the top field's row lies a quarter of
// the way from its first line to its second, the bottom field's three quarters.
constexpr int kChromaPositionInField[2] = {64, 192};

}  // namespace

void Scaler::Convert(const AVFrame& source, AVPixelFormat destinationFormat,
                     uint8_t* const destination[], const int destinationLineSizes[],
                     bool interlaced) {
    const auto [sourceFormat, fullRange] = FormatAndFullRange(source);
    // Only a change of chroma rows mixes the fields; other conversions take the picture whole.
    const bool byField = interlaced &&
                         (SharesChromaRows(sourceFormat) || SharesChromaRows(destinationFormat)) &&
                         SplitsIntoFields(sourceFormat, source.height) &&
                         SplitsIntoFields(destinationFormat, source.height);
    const Setting setting{source.width, source.height,     sourceFormat,
                          fullRange,    destinationFormat, byField};
    if (setting != setting_) {
        contexts_[0] = MakeContext(setting, 0);
        contexts_[1] = setting.byField ? MakeContext(setting, 1) : nullptr;
        setting_ = setting;
    }
    if (!setting.byField) {
        sws_scale(contexts_[0].get(), source.data, source.linesize, 0, source.height, destination,
                  destinationLineSizes);
        return;
    }
    for (const int field : {0, 1}) {
        ConvertField(source, destination, destinationLineSizes, field);
    }
}

void Scaler::ConvertField(const AVFrame& source, uint8_t* const destination[],
                          const int destinationLineSizes[], int field) const {
    // Each field is a picture of every other line: start one line down for the bottom field
    // and step two lines at a time.
    const uint8_t* sourcePlanes[AV_NUM_DATA_POINTERS] = {};
    int sourceSteps[AV_NUM_DATA_POINTERS] = {};
    uint8_t* destinationPlanes[4] = {};
    int destinationSteps[4] = {};
    for (int plane = 0; plane < AV_NUM_DATA_POINTERS && source.data[plane] != nullptr; ++plane) {
        sourcePlanes[plane] = source.data[plane] + field * source.linesize[plane];
        sourceSteps[plane] = 2 * source.linesize[plane];
    }
    for (int plane = 0; plane < 4 && destination[plane] != nullptr; ++plane) {
        destinationPlanes[plane] = destination[plane] + field * destinationLineSizes[plane];
        destinationSteps[plane] = 2 * destinationLineSizes[plane];
    }
    sws_scale(contexts_[field].get(), sourcePlanes, sourceSteps, 0, source.height / 2,
              destinationPlanes, destinationSteps);
}

Scaler::Context Scaler::MakeContext(const Setting& setting, int field) {
    SwsContext* context = sws_alloc_context();
    const int height = setting.byField ? setting.height / 2 : setting.height;
    // Bit-exact, accurately rounded arithmetic: the same source always gives the same samples,
    // and repacking between 4:2:2 layouts loses nothing.
    av_opt_set_int(context, "sws_flags", SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT, 0);
    av_opt_set_int(context, "srcw", setting.width, 0);
    av_opt_set_int(context, "srch", height, 0);
    av_opt_set_int(context, "dstw", setting.width, 0);
    av_opt_set_int(context, "dsth", height, 0);
    av_opt_set_pixel_fmt(context, "src_format", setting.source, 0);
    av_opt_set_pixel_fmt(context, "dst_format", setting.destination, 0);
    if (setting.byField && SharesChromaRows(setting.source)) {
        av_opt_set_int(context, "src_v_chr_pos", kChromaPositionInField[field], 0);
    }
    if (setting.byField && SharesChromaRows(setting.destination)) {
        av_opt_set_int(context, "dst_v_chr_pos", kChromaPositionInField[field], 0);
    }
    // The range is set before the context is made, since swscale chooses its conversion then:
    // full-range YUV (from cameras and pictures) is brought to the codec's studio range.
    av_opt_set_int(context, "src_range", setting.fullRange, 0);
    av_opt_set_int(context, "dst_range", 0, 0);
    if (sws_init_context(context, nullptr, nullptr) < 0) {
        sws_freeContext(context);
        throw ToolError(std::string("cannot convert pictures from ") +
                        av_get_pix_fmt_name(setting.source) + " to " +
                        av_get_pix_fmt_name(setting.destination));
    }
    return Context(context);
}
