#include "workspace/dialogs/TextBoxDialog.h"

#include "core/TextNumber.h"
#include "entry/AutoValues.h"
#include "entry/Conversion.h"
#include "storage/Params.h"
#include "ui/Prompt.h"
#include "ui/WindowPos.h"
#include "workspace/dialogs/DialogParts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace slip {

namespace {

const QString kNoBoxItem = QStringLiteral("000000｜没有相关联输入框");

// The list text of a custom item with its pattern: the text up to its first
// "：", "：" and the pattern.
QString CustomItemText(const QString& itemText, const QString& pattern)
{
    const int colon = itemText.indexOf(QStringLiteral("："));
    return (colon < 0 ? itemText : itemText.left(colon)) + QStringLiteral("：") + pattern;
}

// What the count field is called and which fields a family lets the operator
// edit.
struct CountField {
    QString caption;
    bool countEditable, charSpacingEditable, lineSpacingEditable;
};
CountField CountFieldOf(DataType::Family family)
{
    switch (family) {
    case DataType::Family::Plain: return {QStringLiteral("数据类型代码："), false, true, true};
    case DataType::Family::DigitCells: return {QStringLiteral("数字格数："), true, false, false};
    case DataType::Family::MoneyPlaces: return {QStringLiteral("大写金额位数："), true, true, false};
    case DataType::Family::AmountCells: break;
    }
    return {QStringLiteral("小写金额格数："), true, false, false};
}

// A box list is wide enough for its "none" item and does not grow with long
// captions (the open list shows them whole).
void FitBoxList(QComboBox* list)
{
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(8);
    list->setMinimumWidth(list->fontMetrics().horizontalAdvance(kNoBoxItem) + 40);
    list->view()->setTextElideMode(Qt::ElideNone);
}

} // namespace

TextBoxDialog::TextBoxDialog(SlipFormat& format, QWidget* parent)
    : RectBoxDialog(format, BoxKind::Text, QStringLiteral("添加/修改控件"), parent)
{
    setObjectName(QStringLiteral("textBoxDialog"));
    auto* top = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(BuildCaptionGroup());
    left->addWidget(BuildPlaceGroup(true));
    left->addWidget(BuildLayoutGroup());
    left->addStretch();
    NarrowNumberFields();
    auto* right = new QVBoxLayout;
    right->addWidget(BuildFontGroup(QStringLiteral("输入框")));
    // The sample's text may be typed over; doing so counts as a font change,
    // so OK gives the marked boxes this sample's font.
    fontSample->setReadOnly(false);
    fontSample->setFocusPolicy(Qt::StrongFocus);
    connect(fontSample, &QLineEdit::textEdited, this, [this] { Mark(Look); });
    right->addWidget(BuildTypeGroup());
    right->addWidget(BuildRelationGroup());
    right->addWidget(BuildSumGroup());
    right->addStretch();
    columns->addLayout(left);
    columns->addLayout(right, 1);
    top->addLayout(columns);
    AddButtons(top);
    LoadUserFormat();
}

QWidget* TextBoxDialog::BuildTypeGroup()
{
    auto* g = new QGroupBox(QStringLiteral("内容类别"));
    auto* grid = new QGridLayout(g);
    typeList = new QComboBox;
    typeList->setObjectName(QStringLiteral("typeList"));
    typeList->setToolTip(QStringLiteral("选择输入框的数据类型。"));
    for (const DataTypeItem& item : DataTypeItems()) typeList->addItem(item.text, item.code);
    typeList->setMaxVisibleItems(27);
    grid->addWidget(typeList, 0, 0, 1, 3);
    cellCaption = new QLabel(QStringLiteral("格数："));
    cellCount = new QLineEdit;
    cellCount->setObjectName(QStringLiteral("cellCount"));
    cellCount->setMaximumWidth(70);
    cellCount->setToolTip(QStringLiteral("小写金额或数字数据类型分散打印时，总共的格数（例邮编为6）。"));
    customButton = new QPushButton(QStringLiteral("自定义"));
    customButton->setObjectName(QStringLiteral("customButton"));
    customButton->setToolTip(QStringLiteral("修改输入框内的字体/字号/颜色等。"));
    customButton->setEnabled(false);
    AddFormRow(grid, 1, {cellCaption, cellCount});
    grid->addWidget(customButton, 1, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    connect(typeList, &QComboBox::activated, this, &TextBoxDialog::TypePicked);
    connect(cellCount, &QLineEdit::textEdited, this, [this] { Mark(TypeField); });
    connect(cellCount, &QLineEdit::editingFinished, this, [this] {
        if (cellCount->isEnabled()) cellCount->setText(NumberText(CheckedCellCount(cellCount->text())));
    });
    connect(customButton, &QPushButton::clicked, this, &TextBoxDialog::EditCustomPattern);
    SwallowTyping(typeList);
    return g;
}

void TextBoxDialog::SwallowTyping(QComboBox* list)
{
    list->installEventFilter(this);
    list->view()->installEventFilter(this);
    typingSwallowed_ << list << list->view();
}

bool TextBoxDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Typing a character would pick the item it begins with and undo a
    // count already typed; the lists are chosen from with the mouse and the
    // arrow keys only.
    if (event->type() == QEvent::KeyPress && typingSwallowed_.contains(watched)) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (!text.isEmpty() && text[0].isPrint()) return true;
    }
    return RectBoxDialog::eventFilter(watched, event);
}

QWidget* TextBoxDialog::BuildRelationGroup()
{
    auto* g = new QGroupBox(QStringLiteral("相关联输入框"));
    auto* grid = new QGridLayout(g);
    sameAsList = new QComboBox;
    relatedList = new QComboBox;
    sameAsList->setObjectName(QStringLiteral("sameAsList"));
    relatedList->setObjectName(QStringLiteral("relatedList"));
    AddFormRow(grid, 0, {QStringLiteral("数值/内容相同："), sameAsList});
    AddFormRow(grid, 1, {QStringLiteral("数值/内容相关："), relatedList});
    grid->setColumnStretch(1, 1);
    for (QComboBox* list : {sameAsList, relatedList}) {
        list->setToolTip(QStringLiteral("本输入框与其他输入框的内容关联（此功能使用户减少重复输入）。"));
        FitBoxList(list);
    }
    for (QComboBox* list : {sameAsList, relatedList}) SwallowTyping(list);
    connect(sameAsList, &QComboBox::activated, this, [this] { Mark(SameAs); });
    connect(relatedList, &QComboBox::activated, this, [this] { Mark(Related); });
    return g;
}

QWidget* TextBoxDialog::BuildSumGroup()
{
    auto* g = new QGroupBox(QStringLiteral("累加/乘至输入框"));
    auto* grid = new QGridLayout(g);
    for (int i = 0; i < 2; ++i) {
        const int field = i == 0 ? Sum1 : Sum2;
        sumLists[i] = new QComboBox;
        sumLists[i]->setObjectName(QStringLiteral("sumList%1").arg(i));
        sumLists[i]->setToolTip(QStringLiteral("本输入框内容（数值）累加至其他输入框，实现自动累计。"));
        FitBoxList(sumLists[i]);
        sumAddButtons[i] = new QRadioButton(QStringLiteral("累加"));
        sumMultiplyButtons[i] = new QRadioButton(QStringLiteral("累乘"));
        sumNegateBoxes[i] = new QCheckBox(QStringLiteral("取负"));
        auto* ops = new QButtonGroup(g);
        ops->addButton(sumAddButtons[i]);
        ops->addButton(sumMultiplyButtons[i]);
        grid->addWidget(sumLists[i], i * 2, 0, 1, 3);
        grid->addWidget(sumAddButtons[i], i * 2 + 1, 0);
        grid->addWidget(sumMultiplyButtons[i], i * 2 + 1, 1);
        grid->addWidget(sumNegateBoxes[i], i * 2 + 1, 2);
        connect(sumLists[i], &QComboBox::activated, this, [this, field] { Mark(field); });
        connect(sumAddButtons[i], &QRadioButton::clicked, this, [this, field] { Mark(field); });
        connect(sumMultiplyButtons[i], &QRadioButton::clicked, this, [this, field] { Mark(field); });
        connect(sumNegateBoxes[i], &QCheckBox::clicked, this, [this, field] { Mark(field); });
    }
    return g;
}

// --- Loading ----------------------------------------------------------------

void TextBoxDialog::LoadUserFormat()
{
    QString failure;
    for (int i = 0; i < typeList->count(); ++i) {
        const DataTypeItem& item = DataTypeItems()[size_t(i)];
        if (!item.custom()) continue;
        QString error;
        typeList->setItemText(i, CustomItemText(item.text, GetParam(CustomPatternKey(item.code), &error)));
        if (failure.isEmpty()) failure = error;
    }
    // Told once, not once per pattern.
    if (!failure.isEmpty()) MsgBox(failure);
}

void TextBoxDialog::LoadBox(const Box& b)
{
    RectBoxDialog::LoadBox(b);
    loadedDataType_ = b.dataType;
    SetTypeCaptions(b.dataType);
    FillRelatedBoxList(sameAsList, b.relation.kind == RelationKind::ChainNext ? b.relation.target : 0);
    FillRelatedBoxList(relatedList, b.relation.kind == RelationKind::Related ? b.relation.target : 0);
    const SumTarget sums[2] = {b.sum1, b.sum2};
    for (int i = 0; i < 2; ++i) {
        FillRelatedBoxList(sumLists[i], sums[i].target);
        (sums[i].op == SumOp::Multiply ? sumMultiplyButtons[i] : sumAddButtons[i])->setChecked(true);
        sumNegateBoxes[i]->setChecked(sums[i].IsSet() && sums[i].negated);
    }
}

void TextBoxDialog::SetTypeCaptions(const DataType& type)
{
    const CountField field = CountFieldOf(type.family());
    cellCaption->setText(field.caption);
    cellCount->setText(NumberText(type.CellCount()));
    cellCount->setEnabled(field.countEditable);
    charSpacingEdit->setEnabled(field.charSpacingEditable);
    lineSpacingEdit->setEnabled(field.lineSpacingEditable);
    const int index = DataTypeItemIndex(type.ItemCode());
    typeList->setCurrentIndex(index);
    SetAlignOp();
    customButton->setEnabled(index >= 0 && DataTypeItems()[size_t(index)].custom());
}

void TextBoxDialog::SetAlignOp()
{
    const bool on = ChosenDataType().TakesAlignment();
    for (QRadioButton* b : alignButtons) b->setEnabled(on);
}

void TextBoxDialog::TypePicked(int index)
{
    if (index < 0) return;
    // A cell item starts with 11 cells.
    SetTypeCaptions(DataType::FromItem(DataTypeItems()[size_t(index)].code, kDefaultCellCount));
    Mark(TypeField);
}

DataType TextBoxDialog::ChosenDataType() const
{
    const int index = typeList->currentIndex();
    if (index < 0) return loadedDataType_;
    const DataTypeItem& item = DataTypeItems()[size_t(index)];
    return DataType::FromItem(item.code, CheckedCellCount(cellCount->text()));
}

void TextBoxDialog::EditCustomPattern()
{
    const int index = typeList->currentIndex();
    if (index < 0 || !DataTypeItems()[size_t(index)].custom()) return;
    const DataTypeItem& item = DataTypeItems()[size_t(index)];
    const QString key = CustomPatternKey(item.code);
    const auto answer = InputBox(QStringLiteral("请输入自定义数据格式信息(类型编号") + QString::number(item.code) +
                                     QStringLiteral(")："),
                                 QString(), ParamOrTell(key));
    if (!answer || answer->isEmpty()) return;
    if (!SetParamOrTell(key, *answer)) return;
    typeList->setItemText(index, CustomItemText(item.text, *answer));
}

QString TextBoxDialog::BoxListText(BoxId id, const QString& caption)
{
    return QStringLiteral("%1").arg(id, 6, 10, QLatin1Char('0')) + QStringLiteral("｜") + caption;
}

void TextBoxDialog::FillRelatedBoxList(QComboBox* list, BoxId select)
{
    list->clear();
    list->addItem(kNoBoxItem, 0);
    const BoxId self = EditedBox();
    // Only saved boxes: their record IDs are what the operator knows them by.
    for (const Box* b : Format().BoxesOfKind(BoxKind::Text)) {
        if (b->id <= 0 || b->id == self) continue;
        list->addItem(BoxListText(b->id, b->caption), b->id);
    }
    const int at = select == 0 ? 0 : list->findData(select);
    list->setCurrentIndex(at < 0 ? 0 : at);
}

BoxId TextBoxDialog::ListedBox(const QComboBox* list) const
{
    return list->currentIndex() < 0 ? 0 : BoxId(list->currentData().toInt());
}

void TextBoxDialog::RefillBoxLists(const QHash<BoxId, BoxId>& oldToNew)
{
    for (QComboBox* list : {sameAsList, relatedList, sumLists[0], sumLists[1]}) {
        BoxId chosen = ListedBox(list);
        chosen = oldToNew.value(chosen, chosen);
        if (chosen != 0 && !Format().Find(chosen)) chosen = 0;
        FillRelatedBoxList(list, chosen);
    }
}

void TextBoxDialog::BoxesRenamed(const QHash<BoxId, BoxId>& oldToNew) { RefillBoxLists(oldToNew); }

void TextBoxDialog::BoxesRearranged()
{
    if (BoxGone()) return;
    RefillBoxLists({});
}

// --- OK -----------------------------------------------------------------------

SumTarget TextBoxDialog::ChosenSum(int i) const
{
    SumTarget t;
    t.target = ListedBox(sumLists[size_t(i)]);
    if (t.target == 0) return SumTarget();
    t.op = sumMultiplyButtons[size_t(i)]->isChecked() ? SumOp::Multiply : SumOp::Add;
    t.negated = sumNegateBoxes[size_t(i)]->isChecked();
    return t;
}

void TextBoxDialog::WriteMarked(Box& b)
{
    // A box whose caption is taken away keeps the text it shows as its fixed
    // text.
    if (IsMarked(Caption) && captionEdit->text().isEmpty() && !b.caption.isEmpty())
        b.fixedText = Format().Value(b.id);
    RectBoxDialog::WriteMarked(b);
    // No box is linked to itself (a selected box may be the one chosen).
    auto notSelf = [&](SumTarget t) { return t.target == b.id ? SumTarget() : t; };
    if (IsMarked(Sum1)) b.sum1 = notSelf(ChosenSum(0));
    if (IsMarked(Sum2)) b.sum2 = notSelf(ChosenSum(1));
    if (IsMarked(TypeField) && typeList->currentIndex() >= 0) b.dataType = ChosenDataType();
    // The box has one link: the same-value list writes it, then the related
    // list, so when both were changed the related box wins (and "none" in
    // the list written last clears the link).
    auto link = [&](RelationKind kind, BoxId target) {
        b.relation = target != 0 && target != b.id ? Relation{kind, target} : Relation();
    };
    if (IsMarked(SameAs)) link(RelationKind::ChainNext, ListedBox(sameAsList));
    if (IsMarked(Related)) link(RelationKind::Related, ListedBox(relatedList));
}

void TextBoxDialog::AfterWrite(const QList<BoxId>& ids)
{
    // The values are shown again under their (possibly new) data-type code.
    const QChar currency = Format().Options().currencyChar;
    for (BoxId id : ids) {
        const Box* b = Format().Find(id);
        const QString value = Format().Value(id);
        if (!b || value.isEmpty()) continue;
        const Converted c = ConvertByCode(b->dataType, value, currency);
        Format().SetValue(id, c.text);
    }
}

} // namespace slip
