#pragma once
#include <QString>

namespace slip {

class SlipTemplate;

// What the format operations need of the window that shows the format.
class FormatHost {
public:
    virtual ~FormatHost() = default;
    // Fits the canvas to a slip of this size (mm).
    virtual void FitCanvas(double widthMm, double heightMm) = 0;
    // The open format's name changed: show its name and background picture.
    virtual void FormatNameChanged() {}
    virtual void ClearBatchRecords() {}
    virtual void SetCanvasVisible(bool) {}
    // Makes option switch `index` take effect (redraws for 0 and 4).
    virtual void OptionClicked(int) {}
    // Gives the date boxes today's date.
    virtual void AutoFillDates() {}
    // Shows the format list; answers the chosen name or "".
    virtual QString ShowFormatList() { return QString(); }
    // Canvas size in twips, for pulling boxes back inside the slip.
    virtual double CanvasWidthTwips() const = 0;
    virtual double CanvasHeightTwips() const = 0;
};

// Opening, saving, copying and deleting whole formats.
class FormatOps {
public:
    FormatOps(SlipTemplate& t, FormatHost& host) : t_(t), host_(host) {}

    // Switches to a format ("" asks with the format list); with force the
    // open format is loaded again.
    void ChooseFormat(QString name, bool force);
    void InitFormat(const QString& name);
    // Saves the open format (or under `name`) in one transaction: records of
    // deleted boxes go, every box is written, references settle on the final
    // record IDs, the header is written anew. On failure nothing is changed
    // and the operator is told.
    bool SaveFormat(const QString& name = QString());
    // Saves the open format under another name ("" asks) and opens it.
    bool SaveFormatAs(QString name, bool overwriteConfirmed = false);
    // Deletes a format with its history and import mapping ("" asks).
    bool DeleteFormat(QString name);
    // Moves boxes that lie beyond the slip back onto it.
    void PullBoxesInside();
    // The "新建格式" command: asks name and size, empties the slip and saves it anew.
    bool NewFormat();

    // True when any record of the format exists.
    static bool FormatExists(const QString& name);

private:
    SlipTemplate& t_;
    FormatHost& host_;
};

// Whether a slip size may be used: both positive, ratio between 1:20 and 20:1.
bool SlipSizeAcceptable(double widthMm, double heightMm);

} // namespace slip
