#include "ByteStream.h"
#include "Codecs.h"
#include "Messages.h"

namespace codec {
bool DecodeGif(ByteStream&, CImageBuffer& out) {
    out.SetLastError(msg::kUnsupportedFormat);
    return false;
}
bool EncodeGif(ByteStream&, CImageBuffer& image) {
    image.SetLastError(msg::kUnsupportedFormat);
    return false;
}
}  // namespace codec
