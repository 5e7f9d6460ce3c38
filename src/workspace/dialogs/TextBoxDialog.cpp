#include "workspace/dialogs/TextBoxDialog.h"

#include "core/TextNumber.h"
#include "entry/Conversion.h"
#include "storage/Params.h"
#include "ui/Prompt.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace slip {

namespace {

const QString kEditTips[7] = {
    QStringLiteral("输入框的提示标签内容。"), QStringLiteral("输入框的横向位置。"),
    QStringLiteral("输入框的纵向位置。"),     QStringLiteral("输入框的横向宽度。"),
    QStringLiteral("输入框的纵向高度。"),     QStringLiteral("输入框打印时的字间距。"),
    QStringLiteral("输入框打印时的行间距。")};
const QString kNoBoxItem = QStringLiteral("000000｜没有相关联输入框");

QLineEdit* NumberEdit(const QString& tip)
{
    auto* e = new QLineEdit;
    e->setToolTip(tip);
    e->setMaximumWidth(90);
    return e;
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
    : BoxPropertiesDialog(format, BoxKind::Text, QStringLiteral("添加/修改控件"), parent)
{
    setObjectName(QStringLiteral("textBoxDialog"));
    auto* top = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(BuildCaptionGroup());
    left->addWidget(BuildPlaceGroup());
    left->addWidget(BuildLayoutGroup());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(BuildFontGroup());
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

QWidget* TextBoxDialog::BuildCaptionGroup()
{
    auto* g = new QGroupBox(QStringLiteral("标签内容/位置"));
    auto* grid = new QGridLayout(g);
    grid->addWidget(new QLabel(QStringLiteral("内容：")), 0, 0);
    captionEdit = new QLineEdit;
    captionEdit->setObjectName(QStringLiteral("captionEdit"));
    captionEdit->setToolTip(kEditTips[0]);
    grid->addWidget(captionEdit, 0, 1, 1, 2);
    auto* sides = new QButtonGroup(g);
    const QString captions[4] = {QStringLiteral("控件上边"), QStringLiteral("控件左边"), QStringLiteral("控件右边"),
                                 QStringLiteral("控件下边")};
    auto* sideColumn = new QVBoxLayout;
    for (int i = 0; i < 4; ++i) {
        sideButtons[i] = new QRadioButton(captions[i]);
        sideButtons[i]->setToolTip(QStringLiteral("输入框的提示标签所在位置。"));
        sides->addButton(sideButtons[i], i);
        sideColumn->addWidget(sideButtons[i]);
        connect(sideButtons[i], &QRadioButton::clicked, this, [this, i] {
            captionSample->SetSide(CaptionSide(i));
            Mark(Side);
        });
    }
    grid->addLayout(sideColumn, 1, 0, 1, 2);
    captionSample = new CaptionSample;
    grid->addWidget(captionSample, 1, 2);
    connect(captionEdit, &QLineEdit::textEdited, this, [this](const QString& t) {
        captionSample->SetCaption(t);
        Mark(Caption);
    });
    return g;
}

QWidget* TextBoxDialog::BuildPlaceGroup()
{
    auto* g = new QGroupBox(QStringLiteral("内容框位置/大小(毫米)"));
    auto* grid = new QGridLayout(g);
    xEdit = NumberEdit(kEditTips[1]);
    yEdit = NumberEdit(kEditTips[2]);
    widthEdit = NumberEdit(kEditTips[3]);
    heightEdit = NumberEdit(kEditTips[4]);
    xEdit->setObjectName(QStringLiteral("xEdit"));
    yEdit->setObjectName(QStringLiteral("yEdit"));
    widthEdit->setObjectName(QStringLiteral("widthEdit"));
    heightEdit->setObjectName(QStringLiteral("heightEdit"));
    grid->addWidget(new QLabel(QStringLiteral("横向坐标：")), 0, 0);
    grid->addWidget(xEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("纵向坐标：")), 0, 2);
    grid->addWidget(yEdit, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("宽：")), 1, 0);
    grid->addWidget(widthEdit, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("高：")), 1, 2);
    grid->addWidget(heightEdit, 1, 3);
    MarkOnEdit(xEdit, X);
    MarkOnEdit(yEdit, Y);
    MarkOnEdit(widthEdit, Width);
    MarkOnEdit(heightEdit, Height);
    return g;
}

QWidget* TextBoxDialog::BuildLayoutGroup()
{
    auto* g = new QGroupBox(QStringLiteral("排版方式"));
    auto* grid = new QGridLayout(g);
    charSpacingEdit = NumberEdit(kEditTips[5]);
    lineSpacingEdit = NumberEdit(kEditTips[6]);
    charSpacingEdit->setObjectName(QStringLiteral("charSpacingEdit"));
    lineSpacingEdit->setObjectName(QStringLiteral("lineSpacingEdit"));
    grid->addWidget(new QLabel(QStringLiteral("字间距：")), 0, 0);
    grid->addWidget(charSpacingEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("行间距：")), 0, 2);
    grid->addWidget(lineSpacingEdit, 0, 3);
    MarkOnEdit(charSpacingEdit, CharSpacing);
    MarkOnEdit(lineSpacingEdit, LineSpacing);
    auto* aligns = new QButtonGroup(g);
    const QString captions[3] = {QStringLiteral("居左"), QStringLiteral("居右"), QStringLiteral("居中")};
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        alignButtons[i] = new QRadioButton(captions[i]);
        aligns->addButton(alignButtons[i], i);
        row->addWidget(alignButtons[i]);
        connect(alignButtons[i], &QRadioButton::clicked, this, [this, i] {
            align_ = TextAlign(i);
            fontSample->ShowLook(look_, align_);
            Mark(Align);
        });
    }
    row->addStretch();
    grid->addLayout(row, 1, 0, 1, 4);
    return g;
}

QWidget* TextBoxDialog::BuildFontGroup()
{
    auto* g = new QGroupBox(QStringLiteral("输入框"));
    auto* row = new QHBoxLayout(g);
    fontSample = new FontSample;
    row->addWidget(fontSample, 1);
    fontButton = new QPushButton(QStringLiteral("字体  设置"));
    fontButton->setObjectName(QStringLiteral("fontButton"));
    fontButton->setToolTip(QStringLiteral("修改输入框内的字体/字号/颜色等。"));
    row->addWidget(fontButton);
    connect(fontButton, &QPushButton::clicked, this, [this] {
        const std::optional<BoxLook> chosen = ChooseBoxLook(look_);
        if (!chosen) return;
        look_ = *chosen;
        fontSample->ShowLook(look_, align_);
        Mark(Look);
    });
    return g;
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
    customButton->setToolTip(QStringLiteral("设置自定义数据类型的格式。"));
    customButton->setEnabled(false);
    grid->addWidget(cellCaption, 1, 0);
    grid->addWidget(cellCount, 1, 1);
    grid->addWidget(customButton, 1, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    connect(typeList, &QComboBox::activated, this, &TextBoxDialog::TypePicked);
    connect(cellCount, &QLineEdit::textEdited, this, [this] { Mark(DataType); });
    connect(cellCount, &QLineEdit::editingFinished, this, [this] {
        if (cellCount->isEnabled()) cellCount->setText(NumberText(CheckedCellCount(cellCount->text())));
    });
    connect(customButton, &QPushButton::clicked, this, &TextBoxDialog::EditCustomPattern);
    return g;
}

QWidget* TextBoxDialog::BuildRelationGroup()
{
    auto* g = new QGroupBox(QStringLiteral("相关联输入框"));
    auto* grid = new QGridLayout(g);
    sameAsList = new QComboBox;
    relatedList = new QComboBox;
    sameAsList->setObjectName(QStringLiteral("sameAsList"));
    relatedList->setObjectName(QStringLiteral("relatedList"));
    grid->addWidget(new QLabel(QStringLiteral("数值/内容相同：")), 0, 0);
    grid->addWidget(sameAsList, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("数值/内容相关：")), 1, 0);
    grid->addWidget(relatedList, 1, 1);
    grid->setColumnStretch(1, 1);
    for (QComboBox* list : {sameAsList, relatedList}) {
        list->setToolTip(QStringLiteral("本输入框与其他输入框的内容关联（此功能使用户减少重复输入）。"));
        FitBoxList(list);
    }
    // Both lists show the one link of the box: choosing a box in one clears
    // the other, so what is shown is what OK writes.
    connect(sameAsList, &QComboBox::activated, this, [this] {
        if (ListedBox(sameAsList) != 0) relatedList->setCurrentIndex(0);
        Mark(SameAs);
    });
    connect(relatedList, &QComboBox::activated, this, [this] {
        if (ListedBox(relatedList) != 0) sameAsList->setCurrentIndex(0);
        Mark(Related);
    });
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
    for (int i = 0; i < typeList->count(); ++i) {
        const DataTypeItem& item = DataTypeItems()[size_t(i)];
        if (!item.custom()) continue;
        typeList->setItemText(i, CustomItemText(item.text, GetParam(CustomPatternParamName(item.code))));
    }
}

void TextBoxDialog::LoadBox(const Box& b)
{
    look_ = LookOf(b);
    align_ = b.align;
    fontSample->ShowLook(look_, align_);
    captionEdit->setText(b.caption);
    captionSample->SetCaption(b.caption);
    xEdit->setText(NumberText(b.rect.x()));
    yEdit->setText(NumberText(b.rect.y()));
    widthEdit->setText(NumberText(b.rect.width()));
    heightEdit->setText(NumberText(b.rect.height()));
    charSpacingEdit->setText(NumberText(b.charSpacingMm));
    lineSpacingEdit->setText(NumberText(b.lineSpacingMm));
    alignButtons[int(b.align)]->setChecked(true);
    sideButtons[int(b.captionSide)]->setChecked(true);
    captionSample->SetSide(b.captionSide);
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

void TextBoxDialog::SetTypeCaptions(double code)
{
    const DataTypeShown shown = ReadDataType(code);
    cellCaption->setText(shown.countCaption);
    cellCount->setText(NumberText(shown.count));
    cellCount->setEnabled(shown.countEditable);
    charSpacingEdit->setEnabled(shown.charSpacingEditable);
    lineSpacingEdit->setEnabled(shown.lineSpacingEditable);
    typeList->setCurrentIndex(shown.item);
    SetAlignOp();
    customButton->setEnabled(shown.item >= 0 && DataTypeItems()[size_t(shown.item)].custom());
}

void TextBoxDialog::SetAlignOp()
{
    const int index = typeList->currentIndex();
    const bool on = index < 0 || DataTypeTakesAlignment(DataTypeItems()[size_t(index)].code);
    for (QRadioButton* b : alignButtons) b->setEnabled(on);
}

void TextBoxDialog::TypePicked(int index)
{
    if (index < 0) return;
    const DataTypeItem& item = DataTypeItems()[size_t(index)];
    // A cell item starts with 11 cells.
    const double code = item.family == DataTypeFamily::Plain ? item.code : FoldDataType(item.code, kDefaultCellCount);
    SetTypeCaptions(code);
    Mark(DataType);
}

double TextBoxDialog::ChosenDataType() const
{
    const int index = typeList->currentIndex();
    if (index < 0) return loadedDataType_;
    const DataTypeItem& item = DataTypeItems()[size_t(index)];
    return FoldDataType(item.code, CheckedCellCount(cellCount->text()));
}

void TextBoxDialog::EditCustomPattern()
{
    const int index = typeList->currentIndex();
    if (index < 0 || !DataTypeItems()[size_t(index)].custom()) return;
    const DataTypeItem& item = DataTypeItems()[size_t(index)];
    const QString key = CustomPatternParamName(item.code);
    const auto answer = InputBox(QStringLiteral("请输入自定义数据格式信息(类型编号") + QString::number(item.code) +
                                     QStringLiteral(")："),
                                 QString(), GetParam(key));
    if (!answer || answer->isEmpty()) return;
    if (!SetParam(key, *answer)) {
        MsgBox(QStringLiteral("自定义数据格式未能保存！"), PromptIcon::Warning);
        return;
    }
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

bool TextBoxDialog::CheckFields()
{
    const double w = SlipWidth(), h = SlipHeight();
    return CheckNumberField(X, xEdit, PositionRule(QStringLiteral("横向坐标"), w, true)) &&
           CheckNumberField(Y, yEdit, PositionRule(QStringLiteral("纵向坐标"), h, false)) &&
           CheckNumberField(Width, widthEdit, SizeRule(QStringLiteral("宽"), w, true)) &&
           CheckNumberField(Height, heightEdit, SizeRule(QStringLiteral("高"), h, false)) &&
           CheckNumberField(CharSpacing, charSpacingEdit, SpacingRule(QStringLiteral("字间距"), w, true)) &&
           CheckNumberField(LineSpacing, lineSpacingEdit, SpacingRule(QStringLiteral("行间距"), h, false));
}

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
    if (IsMarked(Caption)) {
        // A box whose caption is taken away keeps the text it shows as its
        // fixed text.
        if (captionEdit->text().isEmpty() && !b.caption.isEmpty()) b.fixedText = Format().Value(b.id);
        b.caption = captionEdit->text();
    }
    if (IsMarked(X)) b.rect.moveLeft(Number(X));
    if (IsMarked(Y)) b.rect.moveTop(Number(Y));
    if (IsMarked(Width)) b.rect.setWidth(Number(Width));
    if (IsMarked(Height)) b.rect.setHeight(Number(Height));
    if (IsMarked(CharSpacing)) b.charSpacingMm = Number(CharSpacing);
    if (IsMarked(LineSpacing)) b.lineSpacingMm = Number(LineSpacing);
    if (IsMarked(Align)) b.align = align_;
    if (IsMarked(Look)) {
        b.font = look_.font;
        b.color = look_.color;
    }
    if (IsMarked(Side)) {
        for (int i = 0; i < 4; ++i)
            if (sideButtons[i]->isChecked()) b.captionSide = CaptionSide(i);
    }
    // No box is linked to itself (a selected box may be the one chosen).
    auto notSelf = [&](SumTarget t) { return t.target == b.id ? SumTarget() : t; };
    if (IsMarked(Sum1)) b.sum1 = notSelf(ChosenSum(0));
    if (IsMarked(Sum2)) b.sum2 = notSelf(ChosenSum(1));
    if (IsMarked(DataType) && typeList->currentIndex() >= 0) b.dataType = ChosenDataType();
    if (IsMarked(SameAs) || IsMarked(Related)) {
        Relation r;
        if (const BoxId related = ListedBox(relatedList)) r = {RelationKind::Related, related};
        else if (const BoxId same = ListedBox(sameAsList)) r = {RelationKind::ChainNext, same};
        if (r.target == b.id) r = Relation();
        b.relation = r;
    }
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
