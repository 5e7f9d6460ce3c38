#pragma once
#include "workspace/dialogs/RectBoxDialog.h"
#include "model/DataType.h"

#include <QSet>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

namespace slip {

// The properties of a text box (caption "添加/修改控件"): its caption and the
// side it stands on, position and size, spacing and alignment, font, the
// data-type code with its cell count, the related box and two sum targets.
class TextBoxDialog : public RectBoxDialog {
    Q_OBJECT
public:
    enum OwnField { TypeField = OwnFields, SameAs, Related, Sum1, Sum2 };

    explicit TextBoxDialog(SlipFormat& format, QWidget* parent = nullptr);

    // The type the list and the cell count stand for now (the type the box
    // had when no item is chosen).
    DataType ChosenDataType() const;
    // The box list's entry for a box: its ID in six digits, "｜" and its caption.
    static QString BoxListText(BoxId id, const QString& caption);

    QComboBox* typeList = nullptr;
    QLabel* cellCaption = nullptr;
    QLineEdit* cellCount = nullptr;
    QPushButton* customButton = nullptr;
    QComboBox* sameAsList = nullptr;
    QComboBox* relatedList = nullptr;
    std::array<QComboBox*, 2> sumLists{};
    std::array<QRadioButton*, 2> sumAddButtons{};
    std::array<QRadioButton*, 2> sumMultiplyButtons{};
    std::array<QCheckBox*, 2> sumNegateBoxes{};

protected:
    void LoadBox(const Box& box) override;
    void WriteMarked(Box& box) override;
    void AfterWrite(const QList<BoxId>& ids) override;
    void BoxesRenamed(const QHash<BoxId, BoxId>& oldToNew) override;
    void BoxesRearranged() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Character keys do nothing in the list.
    void SwallowTyping(QComboBox* list);
    QWidget* BuildTypeGroup();
    QWidget* BuildRelationGroup();
    QWidget* BuildSumGroup();

    // Appends to each custom item the pattern stored for it.
    void LoadUserFormat();
    // Shows a stored code: item, count, count caption, what may be edited.
    void SetTypeCaptions(const DataType& type);
    // The alignment options serve only the items that take an alignment.
    void SetAlignOp();
    void TypePicked(int index);
    void EditCustomPattern();
    // Fills a box list with the saved text boxes but the edited one and
    // selects `select` (none when it is not listed).
    void FillRelatedBoxList(QComboBox* list, BoxId select);
    void RefillBoxLists(const QHash<BoxId, BoxId>& oldToNew);
    BoxId ListedBox(const QComboBox* list) const;
    SumTarget ChosenSum(int which) const;

    DataType loadedDataType_;
    // Compared against, never called.
    QSet<const QObject*> typingSwallowed_;
};

} // namespace slip
