#include "fields.h"

#include "tool_error.h"

namespace {

bool IsInterlaced(AVFieldOrder order) {
    return order == AV_FIELD_TT || order == AV_FIELD_BB || order == AV_FIELD_TB ||
           order == AV_FIELD_BT;
}

AVFieldOrder ByFirstShown(AVFieldOrder order) {
    return order == AV_FIELD_TT || order == AV_FIELD_TB ? AV_FIELD_TT : AV_FIELD_BB;
}

std::string RatioText(AVRational ratio) {
    return std::to_string(ratio.num) + ":" + std::to_string(ratio.den);
}

}  // namespace

AVFieldOrder Swapped(AVFieldOrder order) {
    if (!IsInterlaced(order)) {
        return order;
    }
    return ByFirstShown(order) == AV_FIELD_TT ? AV_FIELD_BB : AV_FIELD_TT;
}

AVFieldOrder FieldOrderNamed(const std::string& name) {
    if (name == "tff") {
        return AV_FIELD_TT;
    }
    if (name == "bff") {
        return AV_FIELD_BB;
    }
    if (name == "progressive") {
        return AV_FIELD_PROGRESSIVE;
    }
    throw ToolError("--field-order " + name + " is not one of tff, bff, progressive", kExitUsage);
}

std::string FieldOrderText(AVFieldOrder order) {
    if (order == AV_FIELD_PROGRESSIVE) {
        return "progressive";
    }
    if (!IsInterlaced(order)) {
        return "unknown field order";
    }
    return ByFirstShown(order) == AV_FIELD_TT ? "top field first" : "bottom field first";
}

AVFieldOrder SourceFieldOrder(const AVFrame& first, const AVCodecParameters& stream,
                              const std::optional<AviVideoProperties>& properties) {
    if (first.interlaced_frame != 0) {
        return first.top_field_first != 0 ? AV_FIELD_TT : AV_FIELD_BB;
    }
    if (IsInterlaced(stream.field_order)) {
        return ByFirstShown(stream.field_order);
    }
    if (properties && IsInterlaced(properties->fieldOrder)) {
        return properties->fieldOrder;
    }
    return AV_FIELD_PROGRESSIVE;
}

std::string ShapeText(AVRational pixelAspect, int width, int height) {
    if (pixelAspect.num <= 0 || pixelAspect.den <= 0 || pixelAspect.num == pixelAspect.den) {
        return "";
    }
    AVRational picture{};
    av_reduce(&picture.num, &picture.den, static_cast<int64_t>(width) * pixelAspect.num,
              static_cast<int64_t>(height) * pixelAspect.den, 1 << 20);
    return "pixels " + RatioText(pixelAspect) + " (" + RatioText(picture) + " picture)";
}
