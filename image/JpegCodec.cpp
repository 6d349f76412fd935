#include "ByteStream.h"
#include "Codecs.h"
#include "Messages.h"

namespace codec {
bool DecodeJpeg(ByteStream&, CImageBuffer& out) {
    out.SetLastError(msg::kUnsupportedFormat);
    return false;
}
bool EncodeJpeg(ByteStream&, CImageBuffer& image) {
    image.SetLastError(msg::kUnsupportedFormat);
    return false;
}
}  // namespace codec
