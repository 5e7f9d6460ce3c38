#pragma once
#include "template/BoxTable.h"
#include "template/FormatRecords.h"
#include "template/SlipBox.h"

#include <QObject>
#include <QRect>
#include <array>
#include <optional>
#include <vector>

class QPainter;

namespace slip {

class DbConnection;

// The open format: its box table (the master copy of its boxes), the input
// boxes on the canvas made from it, and its header state. Every change of a
// box is written into its row; saving writes the rows into the format's
// records.
class SlipTemplate : public QObject {
    Q_OBJECT
public:
    explicit SlipTemplate(QWidget* canvas, QObject* parent = nullptr);
    ~SlipTemplate() override;

    BoxTable table;
    FormatState state;
    // The text that stands for a line break inside values.
    QString lineBreakMarker = QStringLiteral("//");

    QWidget* canvas() const { return canvas_; }

    // Canvas width and the width of its frame, both in twips. The zoom is
    // their ratio; a millimetre on the canvas is the canvas width divided by
    // the slip width.
    void SetCanvasMetrics(double canvasWidthTwips, double frameWidthTwips);
    double CanvasWidthTwips() const { return canvasWidth_; }
    double FrameWidthTwips() const { return frameWidth_; }
    double Zoom() const;
    double TwipsPerMm() const;  // 0 while the slip has no width
    double ToMm(double twips) const;
    int ToTwips(double mm) const;

    // Box counts and indexes.
    int Count(int clas) const;
    int LastControlIndex(int clas) const { return clas * 1000 + Count(clas); }
    SlipBox* GetControlByIndex(int index) const;
    template <typename F> void ForEachBox(F f) const
    {
        for (int c = 0; c < kBoxClassCount; ++c)
            for (SlipBox* b : boxes_[c]) f(b);
    }

    // Creating and removing boxes.
    SlipBox* CreateInputBox(int clas, int& row);  // nullptr when the class is full
    SlipBox* AddInputBox(int clas, int x, int y);  // clas -1 asks the operator
    void PlaceCaptionLabel(SlipBox* box, int position = -1);
    void UnloadAllInputBoxes();
    void DeleteInputBoxRows(bool ask);
    void DeleteSelectedInputBoxes(SlipBox* current);
    void ReloadFormat(bool showProgress);
    // Moves a box by (dx, dy) twips, kept on the canvas, and writes it back.
    void MoveInputBox(SlipBox* box, int dx, int dy);

    // Converts a text box's text by its data-type code (and sets its border);
    // other boxes answer the text unchanged.
    QString AutoConvert(SlipBox* box, const QString& text);

    // Values as text.
    QString GetInputBoxValue(SlipBox* box) const;
    void SetInputBoxValue(SlipBox* box, const QString& text);

    // Row accessors of a box.
    int RowOf(const SlipBox* box) const;
    std::optional<qint32> GetCtlID(const SlipBox* box) const;
    qint32 GetCtlRCtl(const SlipBox* box) const;
    qint32 GetCtlSumID(const SlipBox* box) const;
    qint32 GetCtlSumID1(const SlipBox* box) const;
    int GetCtlDir(const SlipBox* box) const;
    double GetCtlCash(const SlipBox* box) const;
    SlipBox* GetCtlByRow(int row) const;
    SlipBox* GetCtlByID(qint64 id) const;
    int GetCtlIndexByRow(int row) const;  // 0 when no box shows the row
    int GetCtlIndexByID(qint64 id) const;

    // Box ⇄ row.
    void SaveCtlToRow(SlipBox* box);
    SlipBox* ApplyRowToCtl(int row, SlipBox* box = nullptr);
    void CopyCtlRow(SlipBox* source, SlipBox* target);
    // A property dialog's sample text takes a row's font, size (unzoomed),
    // colour and flags, and gives them back.
    void SetCtlFontFromRow(int row, QWidget* sample) const;
    void GetCtlFontToRow(int row, const QWidget* sample);

    // Selection marks.
    static bool IsCtlSelected(const SlipBox* box);
    void SetSelectLook(SlipBox* box, bool normal);
    static bool CtlInRect(const SlipBox* box, int x1, int y1, int x2, int y2);
    // Marks the boxes touched by the band; with Ctrl alone (shift 2) the others keep their marks.
    void SelectCtlsInRect(int shift, int x1, int y1, int x2, int y2);
    int CountSelectedCtls() const;

    // Default values of a format.
    bool SaveDefaultRecord(const QString& name);
    void LoadDefaultRecord(const QString& name);

    // Loads the box records of `name` into the table.
    bool LoadFormatGrid(const QString& name);

    // Writes every row into the records of format `name` on conn (inside the
    // caller's transaction). With asNew every row becomes a new record (a
    // copy under another name). References between the boxes follow their
    // final record IDs. False when a statement failed; the caller rolls back
    // and the table keeps its IDs.
    bool SaveRowsToFmtRecords(const QString& name, DbConnection& conn, bool asNew);

    // Paints the lines of the format (they have no widget).
    void PaintLines(QPainter& p) const;

signals:
    // A box was created or removed, or the lines changed: the canvas repaints.
    void boxesChanged();

private:
    void ApplyTextBoxFixedText(SlipBox* box, int row);
    QRect CanvasRectTwips() const;

    QWidget* canvas_;
    std::array<std::vector<SlipBox*>, kBoxClassCount> boxes_;
    double canvasWidth_ = 15000;
    double frameWidth_ = 15000;
};

} // namespace slip
