#include "qlnu_avi.h"

#include <cstring>

#include "common/fourcc.h"
#include "tool_error.h"

namespace {

constexpr DWORD kVideoChunk = 'd' | 'c' << 8;
constexpr DWORD kOddField = 0x80000000;

DWORD ReadDword(const Bytes& bytes, std::size_t offset) {
    DWORD value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

}  // namespace

QlnuAviWriter::QlnuAviWriter(const std::string& path, int width, int height, AVRational frameRate)
    : output_(path), muxer_(MakeOutput(path, "avi")) {
    stream_ = avformat_new_stream(muxer_.get(), nullptr);
    AVCodecParameters& format = *stream_->codecpar;
    format.codec_type = AVMEDIA_TYPE_VIDEO;
    format.codec_tag = kFourCCQlnu;
    format.width = width;
    format.height = height;
    // The bit count that the driver proposes for its compressed format.
    format.bits_per_coded_sample = 24;
    stream_->time_base = av_inv_q(frameRate);
    stream_->avg_frame_rate = frameRate;
    if (const int error = avio_open(&muxer_->pb, path.c_str(), AVIO_FLAG_WRITE); error < 0) {
        Fail(error);
    }
    output_.Created();
    if (const int error = avformat_write_header(muxer_.get(), nullptr); error < 0) {
        Fail(error);
    }
}

void QlnuAviWriter::Fail(int error) const {
    throw FileError(output_.Path(), "cannot write: " + AvErrorText(error));
}

void QlnuAviWriter::Write(const Bytes& frame, DWORD bytes, DWORD chunkId, DWORD flags) {
    // The AVI writer names every video chunk "dc" and marks key frames in its index itself.
    if ((chunkId & 0xFFFF) != kVideoChunk) {
        throw ToolError(
            "the driver reported a chunk id other than \"dc\", which the AVI writer "
            "cannot write");
    }
    av_packet_unref(packet_.get());
    packet_->data = const_cast<uint8_t*>(frame.data());
    packet_->size = static_cast<int>(bytes);
    packet_->stream_index = stream_->index;
    packet_->pts = packet_->dts =
        av_rescale_q(frames_++, av_inv_q(stream_->avg_frame_rate), stream_->time_base);
    packet_->duration = av_rescale_q(1, av_inv_q(stream_->avg_frame_rate), stream_->time_base);
    packet_->flags = (flags & AVIIF_KEYFRAME) != 0 ? AV_PKT_FLAG_KEY : 0;
    if (const int error = av_write_frame(muxer_.get(), packet_.get()); error < 0) {
        Fail(error);
    }
}

void QlnuAviWriter::Finish() {
    if (const int error = av_write_trailer(muxer_.get()); error < 0) {
        Fail(error);
    }
    if (const int error = avio_closep(&muxer_->pb); error < 0) {
        Fail(error);
    }
    output_.Keep();
}

QlnuAviReader::QlnuAviReader(const std::string& path) : path_(path), input_(OpenInput(path)) {
    if (std::strcmp(input_->iformat->name, "avi") != 0) {
        throw FileError(path, "not an AVI file");
    }
    for (unsigned i = 0; i < input_->nb_streams; ++i) {
        const AVCodecParameters& format = *input_->streams[i]->codecpar;
        if (format.codec_type == AVMEDIA_TYPE_VIDEO && format.codec_tag == kFourCCQlnu) {
            stream_ = input_->streams[i];
        }
    }
    if (stream_ == nullptr) {
        throw FileError(path, "has no QLNU video stream");
    }
}

AVRational QlnuAviReader::FrameRate() const {
    return av_guess_frame_rate(input_.get(), stream_, nullptr);
}

BITMAPINFOHEADER QlnuAviReader::Format() const {
    BITMAPINFOHEADER format{};
    format.biSize = sizeof format;
    format.biWidth = Width();
    format.biHeight = Height();
    format.biPlanes = 1;
    format.biBitCount = 24;
    format.biCompression = kFourCCQlnu;
    return format;
}

bool QlnuAviReader::NextFrame(Bytes* frame) {
    for (;;) {
        av_packet_unref(packet_.get());
        const int read = av_read_frame(input_.get(), packet_.get());
        if (read == AVERROR_EOF) {
            return false;
        }
        if (read < 0) {
            throw FileError(path_, "cannot read: " + AvErrorText(read));
        }
        if (packet_->stream_index == stream_->index) {
            frame->assign(packet_->data, packet_->data + packet_->size);
            return true;
        }
    }
}

std::optional<std::string> FrameDamage(const Bytes& frame, int width, int height) {
    if (frame.size() < 4 || std::memcmp(frame.data(), "QLN1", 4) != 0) {
        return "no QLN1 magic";
    }
    const std::size_t fieldBytes = static_cast<std::size_t>(width) * height;
    bool fieldSeen[2] = {false, false};
    std::size_t offset = 4;
    while (offset < frame.size()) {
        if (frame.size() - offset < 8) {
            return "a record header is cut off at byte " + std::to_string(offset);
        }
        const DWORD flags = ReadDword(frame, offset);
        const DWORD size = ReadDword(frame, offset + 4);
        if (size > frame.size() - offset - 8) {
            return "the record at byte " + std::to_string(offset) + " runs past the frame's end";
        }
        if ((flags & ~kOddField) == 0) {
            if (size != fieldBytes) {
                return "the field at byte " + std::to_string(offset) + " holds " +
                       std::to_string(size) + " bytes, not " + std::to_string(fieldBytes);
            }
            bool& seen = fieldSeen[flags == kOddField];
            if (seen) {
                return std::string("two fields of ") + (flags == kOddField ? "odd" : "even") +
                       " lines";
            }
            seen = true;
        }
        offset += 8 + size;
    }
    if (!fieldSeen[0] || !fieldSeen[1]) {
        return std::string("no field of ") + (fieldSeen[0] ? "odd" : "even") + " lines";
    }
    return std::nullopt;
}
