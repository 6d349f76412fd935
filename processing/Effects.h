// The table entries of the effect catalogue, one file per routine (or per family of
// routines that share one, such as the 3x3 kernels), each adding its own entries.
#pragma once

#include "Operations.h"

void AddKernelEffects(OperationTable& table);      // 강조, 윤곽선, 엠보스
void AddBoxSmoothing(OperationTable& table);       // 흐리게, 부드럽게
void AddMorphology(OperationTable& table);         // 물체축소, 물체확장
void AddWatercolour(OperationTable& table);        // 수채화
void AddFrostedGlass(OperationTable& table);       // 유리성에
void AddBinaryImage(OperationTable& table);        // 임계치변환 (three sub-modes)
void AddEdgeEmphasis(OperationTable& table);       // 경계강조
void AddDalmatian(OperationTable& table);          // 달마시안
void AddLensEffects(OperationTable& table);        // 렌즈효과, 욕실효과
void AddOilPainting(OperationTable& table);        // 유화
void AddBubbleColouring(OperationTable& table);    // 방울채색
void AddStrokeEffects(OperationTable& table);      // 찍어붙이기, 색종이뿌리기, 선효과채색
void AddMulberryPaper(OperationTable& table);      // 한지효과
void AddRaindrops(OperationTable& table);          // 빗방울
void AddNoiseRemoval(OperationTable& table);       // 잡영제거
void AddRegionExpansion(OperationTable& table);    // 영역확장

// Every effect above.
void AddEffects(OperationTable& table);
