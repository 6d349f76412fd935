// The system's own texts: every message that the core reports, in one table. The
// editor shows them in message boxes; the batch tool prints them to standard error.
#pragma once

namespace msg {
// Picture files.
inline constexpr const char* kUnsupportedFormat = "Unsupported operation for this format";
inline constexpr const char* kResourceLoad = "Unable to load resource!";
inline constexpr const char* kGetDibitsFailed = "GetDIBits failed";
inline constexpr const char* kAllocMemory = "can't allocate memory";
inline constexpr const char* kBmpCompression = "compression type not supported";
inline constexpr const char* kBmpUnknownCompression = "unknown compression";
inline constexpr const char* kBmpCorrupted = "Corrupted BMP file";
inline constexpr const char* kBmpWrite = "Write Error in BMP file";
inline constexpr const char* kGifWrite = "Write Error in GIF file";
inline constexpr const char* kGifCorrupted = "Corrupted GIF file";
inline constexpr const char* kGifPage = "Error: page not present in GIF file";
inline constexpr const char* kJpegOnlyRgbGrey = "JPEG can save only RGB or GreyScale images";
inline constexpr const char* kJpegLimits = "JPEG file exceeds the reader's limits (size or scans)";
inline constexpr const char* kTiffOpen = "Error encountered while opening TIFF file";
inline constexpr const char* kTiffPage = "Error: page not present in TIFF file";
inline constexpr const char* kTiffRaster = "No space for raster buffer";
inline constexpr const char* kTiffCorrupted = "Corrupted TIFF file!";
inline constexpr const char* kTiffPalette = "Unable to allocate TIFF palette";
inline constexpr const char* kTiffFilePointer = "invalid file pointer";
inline constexpr const char* kTiffInit = "initialization fail";
inline constexpr const char* kTiffSave = "Error saving TIFF file";
inline constexpr const char* kPcxShort = "Can't read PCX image";
inline constexpr const char* kPcxNotPcx = "Error: Not a PCX file";
inline constexpr const char* kPcxEncoding = "PCX file has unknown encoding scheme";
inline constexpr const char* kPcxPlanes = "Can't handle image with more than 4 planes";
inline constexpr const char* kPcxBitsPlanes = "Can't handle bits per pixel image with planes.";
inline constexpr const char* kPcxRepeat = "repeat count spans end of image";
inline constexpr const char* kPcxCorrupted = "corrupted PCX";
inline constexpr const char* kPcxColourMap = "bad color map signature";
inline constexpr const char* kPcxMoreThan1Bit = "Can't handle more than 1 bit per pixel";
inline constexpr const char* kPcxMoreThan4Planes = "Can't handle more than 4 planes";
inline constexpr const char* kPcxPackedPlanes = "Can't handle packed pixels with more than 1 plane.";
inline constexpr const char* kPngLimits = "PNG file claims a size that its data cannot fill";
inline constexpr const char* kPngWrite = "Write Error in PNG file";
inline constexpr const char* kWebpCorrupted = "Corrupted WebP file";
inline constexpr const char* kWebpWrite = "Write Error in WebP file";
inline constexpr const char* kAvifCorrupted = "Corrupted AVIF file";
inline constexpr const char* kAvifWrite = "Write Error in AVIF file";
inline constexpr const char* kPsdFailed = "Error: PSD file could not be read (%d)";

// Documents and layers.
inline constexpr const char* kFileMissing = "해당파일이 존재하지 않습니다.";
inline constexpr const char* kCannotOpen = "해당 파일을 열 수 없습니다.";
inline constexpr const char* kNameTooLong = "그림파일명이 너무 깁니다.";
inline constexpr const char* kProjectVersion = "TSR 형식의 버전이 상이함";
inline constexpr const char* kTooManyLayers = "레이어수 과다... 기존 레이어의 병합 혹은 제거하신 후에 다시 시도.";
inline constexpr const char* kOnlyOneLayer = "레이어가 1개 밖에 없습니다";
inline constexpr const char* kMeasureLayerDelete = "벡터측정 레이어를 삭제할 수 없습니다";
inline constexpr const char* kBackdropDelete = "배경영상 레이어를 삭제합니다";
inline constexpr const char* kRgbOnly = "RGB영상만 지원합니다.";
inline constexpr const char* kTextLayer = "현재는 [Text:글] 레이어. \n\r레이어창에서 다른 레이어 선택";
inline constexpr const char* kCopyVector = "벡터형식이 아닌 레이어만 복사할 수 있습니다.";
inline constexpr const char* kSelectFirst = "영역선택 후에 시도하십시요";
inline constexpr const char* kCopyLayerTrans = "CopyLayer2vwTrans::Memory Alloc";
inline constexpr const char* kCopyLayerImage = "CopyLayer2vwImage()::Memory Alloc";
inline constexpr const char* kSaveFailed = "파일을 저장할 수 없습니다.";
inline constexpr const char* kGradientDrag = "클릭이 아닌 드래깅으로 기준선을 먼저 잡으세요";
inline constexpr const char* kNoLayerInSlot = "no layer in slot %d";

// Application.
inline constexpr const char* kSaveQuestion = "[%s] 파일을 저장하시겠습니까?";
inline constexpr const char* kNoSettings = "프로그램 실행에 필요한 환경 설정 파일이 없어서 종료합니다(0).";
}  // namespace msg
