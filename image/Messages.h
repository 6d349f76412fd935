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
inline constexpr const char* kTooManyPixels =
    "그림이 너무 큽니다. 환경설정의 최대 화소 수를 넘는 그림은 열거나 만들 수 없습니다.";
inline constexpr const char* kNotEnoughMemory = "메모리가 부족하여 이 크기의 그림을 열거나 만들 수 없습니다.";

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
// Undo information that could not be read back.
inline constexpr const char* kUndoFailed = "작업내역 파일을 읽을 수 없어 실행을 취소하지 못했습니다. 그림은 바뀌지 않았습니다.";
inline constexpr const char* kRedoFailed = "작업내역 파일을 읽을 수 없어 다시 실행하지 못했습니다. 그림은 바뀌지 않았습니다.";
// A picture save flattens the layers and undoes the flatten afterwards, which needs the
// step files of every layer.
inline constexpr const char* kSaveNeedsSteps =
    "저장되지 못한 작업내역 파일이 있어 레이어를 합친 그림 파일로는 저장할 수 없습니다. TSR 프로젝트로 저장하십시오.";
inline constexpr const char* kTextLayer = "현재는 [Text:글] 레이어. \n\r레이어창에서 다른 레이어 선택";
inline constexpr const char* kCopyVector = "벡터형식이 아닌 레이어만 복사할 수 있습니다.";
inline constexpr const char* kSelectFirst = "영역선택 후에 시도하십시요";
inline constexpr const char* kCopyLayerTrans = "CopyLayer2vwTrans::Memory Alloc";
inline constexpr const char* kCopyLayerImage = "CopyLayer2vwImage()::Memory Alloc";
inline constexpr const char* kSaveFailed = "파일을 저장할 수 없습니다.";
inline constexpr const char* kReadOnlyFile = "읽기 전용 파일이라 저장할 수 없습니다.";
inline constexpr const char* kGradientDrag = "클릭이 아닌 드래깅으로 기준선을 먼저 잡으세요";
inline constexpr const char* kNoLayerInSlot = "no layer in slot %d";
inline constexpr const char* kNotConvex = "네 모서리가 볼록한 사각형을 이루어야 합니다.";
inline constexpr const char* kPictureTooLarge = "그림 크기가 너무 큽니다.";
inline constexpr const char* kCannotRestore = "작업내역 파일을 읽을 수 없습니다.";

// Measurement: standards, objects and exports.
inline constexpr const char* kStandardName = "기준 이름을 입력하십시요.";
inline constexpr const char* kStandardTooLong = "기준 이름은 49자, 단위는 9자까지 쓸 수 있습니다.";
inline constexpr const char* kStandardPixels = "픽셀 수는 1 이상의 정수로 입력하십시요.";
inline constexpr const char* kStandardLength = "길이는 0보다 큰 숫자로 입력하십시요.";
inline constexpr const char* kStandardsFull = "측정 기준은 30개까지 저장할 수 있습니다.";
inline constexpr const char* kChooseObject = "[선택/수정] 버튼으로 대상을 정하고 실행하십시요";
inline constexpr const char* kSelectToRemove = "제거할 개체를 먼저 선택하십시요";
inline constexpr const char* kSelectToModify = "먼저 수정할 대상을 선택하십시요";
inline constexpr const char* kUnknownKind = "알 수 없는 측정 개체입니다: %s";
inline constexpr const char* kBadPoints = "측정 점의 좌표가 올바르지 않습니다: %s";
inline constexpr const char* kTextSaved = "파일(MicroMeasure.txt)이 저장되었습니다.";
inline constexpr const char* kTextNotSaved = "파일(MicroMeasure.txt)을 저장할 수 없습니다.";
inline constexpr const char* kCsvSaved = "파일(MicroMeasure.csv)이 저장되었습니다.";
inline constexpr const char* kCsvNotSaved = "파일(MicroMeasure.csv)을 저장할 수 없습니다.";
inline constexpr const char* kExcel2003 = "엑셀 2003 프로그램을 실행 할 수 없습니다.";
inline constexpr const char* kExcelRun = "엑셀 프로그램을 실행 할 수 없습니다.";
inline constexpr const char* kExcelVersion = "Excel 버전을 확인하십시요.";
inline constexpr const char* kSheetNumber = "시트 번호가 올바르지 않습니다: %d";
inline constexpr const char* kWorkbookNotSaved = "파일(Micro.xlsx)을 저장할 수 없습니다.";
inline constexpr const char* kWorkbookSaved = "파일(Micro.xlsx)에 측정값을 넣었습니다.";
// Scale bars.
inline constexpr const char* kNoCalibration = "측정 기준이 없습니다. [측정 기준...]에서 기준을 먼저 정하십시요.";
inline constexpr const char* kBarTooLarge = "축척 막대가 그림 안에 들어가지 않습니다. 길이나 글자 크기를 줄이십시요.";
inline constexpr const char* kNotScaleBar = "현재 레이어는 축척 막대가 아닙니다.";
inline constexpr const char* kBarTooShort = "축척 막대가 1픽셀보다 짧습니다. 길이를 늘리십시요.";
// A unit the calibration's unit does not convert to: the unit asked for, the calibration's.
inline constexpr const char* kBarUnit = "단위 '%s'은(는) 측정 기준의 단위 '%s'(으)로 바꿀 수 없습니다.";

// Text, calendar, frame and face transform.
inline constexpr const char* kNoFont = "글꼴을 찾을 수 없습니다.";
inline constexpr const char* kTextTooLarge = "글자가 너무 큽니다. 크기나 길이를 줄이십시오.";
inline constexpr const char* kEmptyText = "입력할 글자가 없습니다.";
// A value outside its range: minimum and maximum.
inline constexpr const char* kIntegerRange = "%d에서 %d 사이의 정수를 입력하십시오.";
inline constexpr const char* kRealRange = "%.1f에서 %.1f 사이의 수를 입력하십시오.";
// A face that fontconfig does not know: the face asked for, the face used instead.
inline constexpr const char* kFaceFallback = "글꼴 '%s'이(가) 없어 '%s'(으)로 씁니다.";

// Application.
inline constexpr const char* kSaveQuestion = "[%s] 파일을 저장하시겠습니까?";
// A step file that could not be written (a full disk): said once until one is kept again.
inline constexpr const char* kStepNotKept = "디스크 공간이 부족하여 이 작업 단계는 되돌릴 수 없습니다.";
inline constexpr const char* kNoSettings = "프로그램 실행에 필요한 환경 설정 파일이 없어서 종료합니다(0).";
// Tone and colour adjustments, colour modes.
inline constexpr const char* kAutoColourDone = "자동 색상 조정 완료";
inline constexpr const char* kGreyDone = "그레이스케일 변환 완료";
inline constexpr const char* kTooDark = "Too Dark Image. (Current Gray %d)";
inline constexpr const char* kLevelOrder = "low must be below high";
}  // namespace msg
