#include "workspace/FmtList.h"

#include "storage/DataGrid.h"
#include "storage/GridModel.h"
#include "storage/GridView.h"
#include "storage/Params.h"
#include "template/Background.h"
#include "template/FormatList.h"
#include "template/FormatOps.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace slip {

std::function<void(FmtList&)>& FmtList::TestResponder()
{
    static std::function<void(FmtList&)> responder;
    return responder;
}

FmtList::FmtList(const QString& currentFormat, FormatOps* ops, QWidget* parent)
    : QDialog(parent), currentFormat_(currentFormat), ops_(ops)
{
    setWindowTitle(QStringLiteral("选择/管理格式模板"));
    picture_ = new QImage;
    MSF = new GridModel(this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("格式模板列表：")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("格式模板预览：")), 0, 1);
    view = new GridView(this);
    view->SetGrid(MSF);
    grid->addWidget(view, 1, 0);
    auto* previewRow = new QHBoxLayout;
    Frm = new QWidget(this);
    Frm->setMinimumSize(240, 200);
    Img = new QLabel(Frm);
    Img->setScaledContents(true);
    LBL = new QLabel(QStringLiteral("此格式暂无图片！"), Frm);
    LBL->setFont(QFont(QStringLiteral("楷体_GB2312"), 14));
    LBL->move(20, 20);
    LBL->adjustSize();
    VS = new QScrollBar(Qt::Vertical, this);
    previewRow->addWidget(Frm, 1);
    previewRow->addWidget(VS);
    grid->addLayout(previewRow, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    const QPair<int, QString> defs[] = {{0, QStringLiteral("选 择")}, {1, QStringLiteral("退 出")},
                                        {2, QStringLiteral("下载更多…")}, {4, QStringLiteral("删 除")}};
    for (const auto& [i, caption] : defs) {
        COM[i] = new QPushButton(caption, this);
        buttons->addWidget(COM[i]);
        connect(COM[i], &QPushButton::clicked, this, [this, i = i] { COM_Click(i); });
    }
    COM[2]->setEnabled(false);  // the web catalogue is not in this program yet
    buttons->addStretch();
    grid->addLayout(buttons, 2, 0, 1, 2);
    resize(760, 460);
    RestoreWindowPos(this, QStringLiteral("格式模板列表"));

    LoadFormatList(*MSF, currentFormat_);
    view->SyncFromGrid();
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { RowChanged(); });
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { COM_Click(0); });
    connect(VS, &QScrollBar::valueChanged, this, [this](int v) { Img->move(0, -(v * Frm->height() / 10)); });
    RowChanged();
}

FmtList::~FmtList()
{
    SaveWindowPos(this, QStringLiteral("格式模板列表"));
    delete picture_;
}

void FmtList::RowChanged()
{
    for (int r = MSF->FixedRows(); r < MSF->Rows(); ++r)
        MSF->SetTextMatrix(r, kFormatListTickColumn, r == MSF->Row ? QStringLiteral("√") : QString());
    ShowPreview();
}

void FmtList::ShowPreview()
{
    const QString name = MSF->Row >= MSF->FixedRows() ? MSF->TextMatrix(MSF->Row, kFormatListNameColumn) : QString();
    QString path = name;
    if (!QFileInfo(path).isFile()) path = BackgroundPicturePath(name);
    *picture_ = name.isEmpty() || !QFileInfo(path).isFile() ? QImage() : QImageReader(path).read();
    Img->move(0, 0);
    const bool shown = !picture_->isNull();
    if (shown) {
        const PreviewLayout l = ComputePreviewLayout(picture_->size(), Frm->width(), Frm->height());
        Img->setPixmap(QPixmap::fromImage(*picture_));
        Img->resize(Frm->width(), int(l.imageHeight));
        VS->setEnabled(l.scrollEnabled);
        VS->setRange(0, l.scrollMax);
        VS->setValue(0);
        VS->setSingleStep(1);
        VS->setPageStep(10);
    } else {
        Img->clear();
        VS->setEnabled(false);
    }
    Img->setVisible(shown);
    LBL->setVisible(!shown);
}

void FmtList::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    // Column widths are capped by the grid's width, known once the view has
    // taken its size from the new layout.
    QTimer::singleShot(0, this, [this] { AutoSizeGridColumns(*MSF, MSF->FixedRows(), false); });
    if (picture_ && !picture_->isNull()) ShowPreview();
}

void FmtList::COM_Click(int index)
{
    answer.clear();
    switch (index) {
    case 0:
        if (MSF->Row >= MSF->FixedRows()) answer = MSF->TextMatrix(MSF->Row, kFormatListNameColumn);
        accept();
        break;
    case 1:
        answer = currentFormat_;
        accept();
        break;
    case 4: {
        if (MSF->Row < MSF->FixedRows()) return;
        const QString name = MSF->TextMatrix(MSF->Row, kFormatListNameColumn);
        if (ops_ && ops_->DeleteFormat(name)) {
            int first = MSF->Row, last = MSF->Row;
            DeleteGridRows(*MSF, first, last, false);
            view->SyncFromGrid();
            RowChanged();
        }
        break;
    }
    default: break;
    }
}

QString RunFmtList(QWidget* parent, const QString& currentFormat, FormatOps* ops)
{
    FmtList dlg(currentFormat, ops, parent);
    if (FmtList::TestResponder()) {
        FmtList::TestResponder()(dlg);
        return dlg.answer;
    }
    if (dlg.exec() != QDialog::Accepted) return QString();
    return dlg.answer;
}

} // namespace slip
