// The two-language texts of the watermark command. The source is UTF-8; the
// 8-bit builds compile the Chinese texts to GBK.
#include "command/texts.h"

namespace {

struct TextPair {
    const ACHAR* english;
    const ACHAR* chinese;
};

const TextPair kTexts[] = {
    {ACRX_T("\nPick a point for one corner of the new watermark: "),
     ACRX_T("\n请指定表达水印范围的矩形的一个角点: ")},
    {ACRX_T("\nPick another point for the corner of the new watermark: "),
     ACRX_T("\n请指定表达水印范围的矩形的另一个角点:: ")},
    {ACRX_T("\nWatermark Lines(2--12)[%d]: "), ACRX_T("\n水印行数(2--12)[%d]: ")},
    {ACRX_T("\nWatermark Columns(3--16)[%d]: "), ACRX_T("\n水印列数(3--16)[%d]: ")},
    {ACRX_T("\n\nWatermark Size(10--90)[%d]: "), ACRX_T("\n\n水印大小(10--90)[%d]: ")},
    {ACRX_T("\nPlease Select Entities (ARC,CIRCLE,LINE,LWPOLYLINE,TEXT,MTEXT,INSERT):\n"),
     ACRX_T("\n请选择 圆弧、圆、直线、多段线、文字、图块来制作水印:\n")},
    {ACRX_T("\nWatermark Color(0--255)[%d]: "), ACRX_T("\n水印色彩号(0--255)[%d]: ")},
};

}  // namespace

const ACHAR* ivText(IvText which, bool chinese) {
    const TextPair& pair = kTexts[which];
    return chinese ? pair.chinese : pair.english;
}
