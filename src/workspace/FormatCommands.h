#pragma once
#include "core/Units.h"
#include "model/SlipFormat.h"

#include <QObject>
#include <QString>

namespace slip {

// What the format commands need of the window that shows the format.
class FormatHost {
public:
    virtual ~FormatHost() = default;
    // The open format changed wholly (opened, created, renamed): show it with
    // its background picture; with fitCanvas fitted to the frame, else at the
    // zoom and place the slip of the same size had.
    virtual void FormatOpened(bool fitCanvas) = 0;
    // The format's background picture changed.
    virtual void BackgroundChanged() {}
    virtual void ClearBatchRecords() {}
    // Gives the date boxes today's date.
    virtual void AutoFillDates() {}
    // Shows the format list; answers the chosen name or "".
    virtual QString ShowFormatList() { return QString(); }
    // A short note in the status bar.
    virtual void StatusMessage(const QString&) {}
    // Width of the screen in use, in twips (fonts of formats follow it).
    virtual int ScreenWidthTwips() const { return units::kDefaultScreenWidthTwips; }
    // Slip millimetres in one twip of the screen at the canvas's scale (a
    // real-size slip without a canvas).
    virtual double MmPerScreenTwip() const { return units::kMmPerInch / units::kTwipsPerInch; }
    // The text that stands for a line break in stored values.
    virtual QString LineBreakMarker() const { return QStringLiteral("//"); }
};

// Opening, saving, copying, creating and deleting whole formats, with the
// questions and messages the operator sees.
class FormatCommands {
public:
    FormatCommands(SlipFormat& format, FormatHost& host) : format_(format), host_(host) {}

    // Switches to a format ("" asks with the format list); with force the
    // open format is loaded again. Unsaved changes of the format being left
    // are offered for saving first; Cancel stays. False when nothing opened.
    bool ChooseFormat(QString name, bool force);
    // Loads a format into the model.
    bool InitFormat(const QString& name);
    // Asks whether to save unsaved changes: true when the caller may go on
    // (saved, or not wanted), false on Cancel or a failed save.
    bool OfferToSave();
    // Saves the open format in one transaction (boxes pulled onto the slip
    // first). On failure nothing is changed and the operator is told.
    bool SaveFormat();
    // Saves the open format under another name ("" asks; boxes are pulled
    // onto the slip before the chooser shows) and opens it.
    bool SaveFormatAs(QString name, bool overwriteConfirmed = false);
    // Deletes a format with its history and mapping ("" asks); its defaults
    // and picture stay.
    bool DeleteFormat(QString name);
    // Moves boxes that lie beyond the slip back onto it; answers how many.
    int PullBoxesInside();
    // The "新建格式" command: asks name and size and opens the new, empty format.
    bool NewFormat();
    // Leaving the format (another one opens, the program ends): its values
    // become its defaults and the state record remembers it. Defaults that
    // could not be read when the format opened are never written over.
    void LeaveFormat();

    // The slip popup's picture commands.
    bool ReplaceBackground(const QString& chosenFile);
    bool ClearBackground();

private:
    static QString NewFormatTitle();
    // Asks a side of the slip in mm, named `side` ("单据宽度") in what the
    // operator is told: a positive number (an answer without a number is 0
    // and refused as one) no longer than SlipSideProblem allows; "" cancels.
    bool AskSize(const QString& prompt, const QString& side, double current, double& out);

    SlipFormat& format_;
    FormatHost& host_;
    // False while the open format's stored defaults are unknown (their read
    // failed): the values it shows are then no defaults to store.
    bool defaultsRead_ = true;
    // Work left for when the window has shown the new format.
    QObject afterShown_;
};

} // namespace slip
