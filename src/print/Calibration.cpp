#include "print/Calibration.h"

#include "print/SlipPrinter.h"
#include "core/TextNumber.h"

#include <cmath>

namespace slip {

void DrawCalibrationFigure(DrawSurface& out)
{
    out.FillBox(10 * kPaperTwipsPerMm, 10 * kPaperTwipsPerMm, 20 * kPaperTwipsPerMm, 20 * kPaperTwipsPerMm,
                QColor(0, 0, 0));
}

QString CalibrationQuestion()
{
    return QStringLiteral("您是否需要打印校验图形？如果要打印，请在打印机中放好A4纸一张。");
}

QString CalibrationQuestionTitle() { return QStringLiteral("校验图形打印"); }

bool PrintCalibrationFigure(SlipPrinter& printer, Prompter& prompter)
{
    if (prompter.Ask(CalibrationQuestion(), PromptButtons::YesNo, PromptIcon::None, CalibrationQuestionTitle())
        != PromptAnswer::Yes)
        return false;
    const QPageSize paper = printer.Paper();
    const QPageLayout::Orientation orientation = printer.Orientation();
    printer.SetOrientation(QPageLayout::Portrait);
    printer.SetPaper(QPageSize(QPageSize::A4));
    DrawCalibrationFigure(printer);
    const bool sent = printer.EndDoc();
    printer.SetPaper(paper);
    printer.SetOrientation(orientation);
    return sent;
}


WizardStep ValWizardNextStep(int option)
{
    switch (option) {
    case 0: return {true, 0};
    case 1: return {false, 19};
    case 2: return {false, 30};
    case 3: return {false, 31};
    default: return {};
    }
}

namespace {

QString Corrected(const QString& caption, double by)
{
    const double v = Val(caption) + by;
    return std::isfinite(v) ? NumberText(v) : caption;
}

} // namespace

OffsetCaptions ValValueOffsets(const OffsetCaptions& captions, const MeasuredShift& shift)
{
    const double dx = shift.contentLeft ? -Val(shift.leftMm) : Val(shift.rightMm);
    const double dy = shift.contentUp ? -Val(shift.upMm) : Val(shift.downMm);
    return {Corrected(captions.x, dx), Corrected(captions.y, dy)};
}

QString ValValueDoneMessage() { return QStringLiteral("调整完成，再试打印一下看？"); }

} // namespace slip
