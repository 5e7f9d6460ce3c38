#pragma once
#include "core/Prompter.h"
#include "print/DrawSurface.h"

#include <QString>

namespace slip {

class SlipPrinter;

// --- The calibration figure

// The figure: a black square filled from (10, 10) to (20, 20) mm from the
// page's corner. Measured on the printout it shows how far the printer moves
// what it prints.
void DrawCalibrationFigure(DrawSurface& out);

QString CalibrationQuestion();
QString CalibrationQuestionTitle();

// Asks whether to print the figure and, on Yes, prints it as one A4 portrait
// page on printer, without the print offsets. The printer's paper and
// orientation are as before afterwards, so later slips don't come out on A4.
// True when the page was sent.
bool PrintCalibrationFigure(SlipPrinter& printer, Prompter& prompter);

// --- Print offsets and the offset wizard

// What the wizard does next for the deviation the operator chose: option 0
// ("所有内容都偏离位置") asks for the measured shift; 1, 2 and 3 open the help
// pages of topics 19, 30 and 31.
struct WizardStep {
    bool enterShift = false;
    int helpTopic = 0;
};
WizardStep ValWizardNextStep(int option);

// The shift the operator measured on a printout, as typed: one choice and
// one distance (millimetres) per direction. Only the distance of the chosen
// side is read; a text without a number counts as 0.
struct MeasuredShift {
    bool contentLeft = true;  // "内容偏左了", else "内容偏右了"
    QString leftMm, rightMm;
    bool contentUp = true;    // "内容偏上了", else "内容偏下了"
    QString upMm, downMm;
};

// The print offset captions corrected by a measured shift. Content printed
// too far left lowers the horizontal offset by the distance, too far right
// raises it; too high lowers the vertical one, too low raises it. The results
// are written as the program writes numbers ("7.5", never "7.500000000001").
// A correction that is no number at all leaves its caption as it was.
struct OffsetCaptions {
    QString x, y;
};
OffsetCaptions ValValueOffsets(const OffsetCaptions& captions, const MeasuredShift& shift);

QString ValValueDoneMessage();

} // namespace slip
