#include "FileBytes.h"
#include "ScriptedFileDialog.h"
#include "LocalHttpServer.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include "core/DataFolder.h"
#include "storage/RecordListModel.h"
#include "core/ProgramName.h"
#include "exchange/ExchangeFile.h"
#include "exchange/Server.h"
#include "exchange/TextFile.h"
#include "exchange/WebCatalogue.h"
#include "model/SlipFormat.h"
#include "storage/BackgroundStore.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"
#include "ui/FileDialogs.h"
#include "ui/DataGrid.h"
#include "ui/PicturePreview.h"
#include "ui/SelFormat.h"
#include "workspace/FormatListDialog.h"
#include "workspace/MainWindow.h"
#include "workspace/WebCatalogueDialog.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStringEncoder>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace slip;
using namespace slip::test;
using namespace std::chrono_literals;

namespace {

// A blank slip of a bank: a frame, a rule and the slip's title.
QByteArray Jpeg(QColor colour, const QString& title = QString(), int w = 300, int h = 150)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(colour, 3));
    p.drawRect(5, 5, w - 10, h - 10);
    p.drawLine(10, h / 2, w - 10, h / 2);
    p.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 16));
    p.drawText(QRect(0, 10, w, h / 2 - 10), Qt::AlignCenter, title);
    p.end();
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG");
    return bytes;
}

// An exchange file of a small format, as the server offers it.
QByteArray Template(const QString& caption)
{
    FormatHeader h;
    h.widthMm = 190;
    h.heightMm = 95;
    Box a = NewBoxOfKind(BoxKind::Text, {20, 20});
    a.id = 31;
    a.caption = caption;
    Box b = NewBoxOfKind(BoxKind::Text, {20, 40});
    b.id = 32;
    b.caption = QStringLiteral("大写");
    a.sum1 = {32, SumOp::Add, true};
    return EncodeText(BuildExchangeText(QStringLiteral("工行进账单"), h, {a, b}, 15360).text);
}

QByteArray CataloguePage()
{
    const QStringList lines = {
        QStringLiteral("银行|工行进账单|/fmt/gh.tvq|/pic/gh.jpg|2023-05-06"),
        QStringLiteral("银行|农行进账单|/fmt/nh.tvq|/pic/nh.jpg|2023/7/8"),
        QStringLiteral("其他|坏链接|/fmt/missing.tvq||2023-01-01"),
        QStringLiteral("银行|建行电汇凭证|/fmt/jh.tvq|/pic/jh.jpg|2024-02-29"),
    };
    return Gbk(lines.join(QStringLiteral("<br>")) + QStringLiteral("<br>Finished<BR>"));
}

// A local catalogue server set as the program's server, and a data folder of the test's own.
class CatalogueWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.listen());
        ASSERT_TRUE(SetServerAddress(server.address()));
        server.setRoute(QStringLiteral("/kvw/fmt.asp"), {200, CataloguePage()});
        server.setRoute(QStringLiteral("/pic/gh.jpg"), {200, Jpeg(Qt::darkRed, QStringLiteral("中国工商银行 进账单")), "image/jpeg"});
        server.setRoute(QStringLiteral("/pic/nh.jpg"), {200, Jpeg(Qt::darkGreen, QStringLiteral("中国农业银行 进账单")), "image/jpeg"});
        server.setRoute(QStringLiteral("/pic/jh.jpg"), {200, Jpeg(Qt::darkBlue, QStringLiteral("中国建设银行 电汇凭证")), "image/jpeg"});
        server.setRoute(QStringLiteral("/fmt/gh.tvq"), {200, Template(QStringLiteral("户名")), "text/plain"});
        server.setRoute(QStringLiteral("/fmt/nh.tvq"), {200, Template(QStringLiteral("账号")), "text/plain"});
    }

    std::unique_ptr<WebCatalogueDialog> Open()
    {
        auto dlg = std::make_unique<WebCatalogueDialog>(15360, [this](const QString& name) { opened << name; });
        dlg->timeout = 5s;
        dlg->attempts = 1;
        dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        return dlg;
    }

    static int RowOf(const WebCatalogueDialog& dlg, const QString& name)
    {
        for (int r = 0; r < dlg.list->rowCount(); ++r)
            if (dlg.list->Text(r, 6) == name) return r;
        return -1;
    }

    static void ClickRow(WebCatalogueDialog& dlg, const QString& name)
    {
        const int row = RowOf(dlg, name);
        ASSERT_GE(row, 0) << name.toStdString();
        const QModelIndex index = dlg.view->model()->index(row, 6);
        dlg.view->scrollTo(index);
        QTest::mouseClick(dlg.view->viewport(), Qt::LeftButton, {}, dlg.view->visualRect(index).center());
        ASSERT_EQ(dlg.view->CurrentRow(), row);
    }

    static QStringList Ticks(const WebCatalogueDialog& dlg)
    {
        QStringList out;
        for (int r = 0; r < dlg.list->rowCount(); ++r) out << dlg.list->Text(r, 4);
        return out;
    }

    TestHome home;
    LocalHttpServer server;
    ScriptedPrompter prompts;
    QStringList opened;
};

} // namespace

TEST_F(CatalogueWindow, FirstOpeningFetchesTheListAndPreviewsTheChosenEntry)
{
    auto dlg = Open();
    EXPECT_EQ(dlg->windowTitle(), "可供下载的格式模板");
    QTRY_COMPARE(dlg->list->rowCount(), 4);
    EXPECT_EQ(server.hits("/kvw/fmt.asp"), 1);
    EXPECT_EQ(LoadWebFmtList().size(), 4);
    // By category, then name; the first entry is current and ticked.
    QStringList names;
    for (const WebFormatRecord& e : dlg->Entries()) names << e.clas + "/" + e.name;
    EXPECT_EQ(names, (QStringList{"其他/坏链接", "银行/农行进账单", "银行/工行进账单", "银行/建行电汇凭证"}));
    EXPECT_EQ(Ticks(*dlg), (QStringList{"√", "", "", ""}));
    EXPECT_EQ(dlg->list->headerData(6, Qt::Horizontal).toString(), "格式名称");
    EXPECT_EQ(dlg->list->Text(0, 7), "2023.01.01");
    // The current entry has no picture.
    EXPECT_TRUE(dlg->preview->noPicture->isVisible());
    EXPECT_TRUE(dlg->ShownPicture().isEmpty());

    ClickRow(*dlg, "工行进账单");
    EXPECT_EQ(Ticks(*dlg), (QStringList{"", "", "√", ""}));
    EXPECT_FALSE(dlg->preview->noPicture->isVisible());
    EXPECT_TRUE(dlg->preview->picture->isVisible());
    EXPECT_EQ(dlg->ShownPicture(), DataFile("Temp/gh.jpg"));
    EXPECT_EQ(dlg->preview->picture->width(), dlg->preview->frame->width());
    EXPECT_EQ(server.hits("/pic/gh.jpg"), 1);
    // Back and forth: the picture comes from Temp the second time.
    ClickRow(*dlg, "农行进账单");
    EXPECT_EQ(dlg->ShownPicture(), DataFile("Temp/nh.jpg"));
    ClickRow(*dlg, "工行进账单");
    EXPECT_EQ(server.hits("/pic/gh.jpg"), 1);
    EXPECT_TRUE(dlg->IsBusy() == false && dlg->importButton->isEnabled());
    EXPECT_TRUE(prompts.shown.isEmpty());

    // Under a real display the window is worth a look.
    const QString shot = qEnvironmentVariable("SLIP_SCREENSHOT");
    if (!shot.isEmpty()) {
        dlg->resize(900, 420);
        QTest::qWait(300);
        QScreen* screen = dlg->screen();
        QPixmap grab = QGuiApplication::platformName() == "xcb" && screen ? screen->grabWindow(0) : dlg->grab();
        grab.save(shot);
    }
}

TEST_F(CatalogueWindow, AnEntryDownloadsAndImportsAsANewFormat)
{
    auto dlg = Open();
    QTRY_COMPARE(dlg->list->rowCount(), 4);
    ClickRow(*dlg, "工行进账单");
    prompts.answers = {PromptAnswer::Yes};
    QTest::mouseClick(dlg->importButton, Qt::LeftButton);
    EXPECT_EQ(prompts.shown, QStringList{"格式“工行进账单”导入成功,立即调用此格式？"});
    EXPECT_EQ(opened, QStringList{"工行进账单"});
    StoredFormat f;
    ASSERT_TRUE(FormatStore::Load("工行进账单", 15360, {}, f).ok);
    ASSERT_EQ(f.boxes.size(), 2u);
    EXPECT_EQ(f.boxes[0].caption, "户名");
    EXPECT_EQ(f.boxes[0].sum1.target, f.boxes[1].id) << "the sum follows its box to the new record";
    EXPECT_TRUE(f.boxes[0].sum1.negated);
    EXPECT_EQ(f.header.widthMm, 190);
    EXPECT_TRUE(BackgroundStore::HasPicture("工行进账单"));
    EXPECT_EQ(server.hits("/fmt/gh.tvq"), 1);
    EXPECT_TRUE(dlg->statusLabel->text().contains("已导入"));
    EXPECT_TRUE(dlg->importButton->isEnabled());

    // The same entry again: the name is taken and the operator gives another.
    prompts.shown.clear();
    prompts.inputs = {QStringLiteral("工行进账单2")};
    prompts.answers = {PromptAnswer::No};
    QTest::mouseClick(dlg->importButton, Qt::LeftButton);
    EXPECT_EQ(prompts.shown, (QStringList{"格式：“工行进账单”已存在，请另取格式名！",
                                          "格式“工行进账单2”导入成功,立即调用此格式？"}));
    EXPECT_TRUE(FormatStore::Exists("工行进账单2"));
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(CatalogueWindow, AFailedDownloadImportsNothing)
{
    auto dlg = Open();
    QTRY_COMPARE(dlg->list->rowCount(), 4);
    // An older file of the same name in Temp must not be imported in its place.
    ASSERT_TRUE(QDir().mkpath(DataFile("Temp")));
    QFile stale(DataFile("Temp/坏链接.tvq"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(Template("旧的"));
    stale.close();
    const QVector<QVector<QVariant>> before = OpenRecordset("SELECT * FROM Fmt ORDER BY ID").rows;
    ClickRow(*dlg, "坏链接");
    QTest::mouseClick(dlg->importButton, Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].startsWith("格式“坏链接”下载失败")) << prompts.shown[0].toStdString();
    EXPECT_EQ(server.hits("/fmt/missing.tvq"), 1);
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt ORDER BY ID").rows, before);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(dlg->importButton->isEnabled());
}

TEST_F(CatalogueWindow, KeywordFindsTheNextEntryAndIsKeptForNextTime)
{
    {
        auto dlg = Open();
        QTRY_COMPARE(dlg->list->rowCount(), 4);
        EXPECT_EQ(dlg->keywordEdit->placeholderText(), "输入关键词");
        QTest::mouseClick(dlg->searchButton, Qt::LeftButton);
        EXPECT_EQ(prompts.shown, QStringList{"请先输入关键词！"});
        dlg->keywordEdit->setText("进账单");
        QTest::mouseClick(dlg->searchButton, Qt::LeftButton);
        EXPECT_EQ(dlg->CurrentEntry().name, "农行进账单");
        QTest::keyClick(dlg->keywordEdit, Qt::Key_Return);
        EXPECT_EQ(dlg->CurrentEntry().name, "工行进账单");
        QTest::mouseClick(dlg->searchButton, Qt::LeftButton);
        EXPECT_EQ(dlg->CurrentEntry().name, "农行进账单") << "the search wraps round";
        dlg->keywordEdit->setText("ABC");
        QTest::mouseClick(dlg->searchButton, Qt::LeftButton);
        EXPECT_EQ(dlg->CurrentEntry().name, "农行进账单") << "nothing found, nothing moves";
        dlg->keywordEdit->setText("电汇");
        dlg->close();
    }
    EXPECT_EQ(LastSearchKeyword(), "电汇");
    // A stored list is shown without asking the server.
    auto again = Open();
    QTest::qWait(50);
    EXPECT_EQ(again->keywordEdit->text(), "电汇");
    EXPECT_EQ(again->list->rowCount(), 4);
    EXPECT_EQ(server.hits("/kvw/fmt.asp"), 1);
}

TEST_F(CatalogueWindow, ARefreshThatFailsKeepsTheList)
{
    auto dlg = Open();
    QTRY_COMPARE(dlg->list->rowCount(), 4);
    server.setRoute(QStringLiteral("/kvw/fmt.asp"), {500, Gbk("服务器错误 Finished<BR>")});
    QTest::mouseClick(dlg->refreshButton, Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].startsWith("格式列表未能更新：网络错误！"));
    EXPECT_EQ(dlg->list->rowCount(), 4);
    EXPECT_EQ(LoadWebFmtList().size(), 4);
    // A new list replaces the old one.
    server.setRoute(QStringLiteral("/kvw/fmt.asp"),
                    {200, Gbk("新|唯一格式|/fmt/gh.tvq|/pic/gh.jpg|2024-01-01<br>Finished<BR>")});
    QTest::mouseClick(dlg->refreshButton, Qt::LeftButton);
    EXPECT_EQ(dlg->list->rowCount(), 1);
    EXPECT_EQ(dlg->CurrentEntry().name, "唯一格式");
    EXPECT_EQ(dlg->statusLabel->text(), "格式列表已更新，共1个格式模板。");
}

TEST_F(CatalogueWindow, WithoutAServerAddressWebCommandsSaySoAndSendNothing)
{
    ASSERT_TRUE(SetServerAddress(""));
    auto dlg = Open();
    QTest::qWait(50);
    EXPECT_TRUE(dlg->statusLabel->text().startsWith("未设置服务器地址！"));
    EXPECT_TRUE(prompts.shown.isEmpty()) << "opening the window asks nothing";
    QTest::mouseClick(dlg->refreshButton, Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].startsWith("未设置服务器地址！"));
    EXPECT_TRUE(server.requests().isEmpty());
    // A list stored earlier can still be looked at; its import says the same.
    ASSERT_TRUE(ReplaceWebFormats({WebFormatRecord{0, "银行", "工行进账单", "/fmt/gh.tvq", "/pic/gh.jpg", {}}}));
    dlg->LoadWebFmtList();
    QTest::mouseClick(dlg->importButton, Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_TRUE(prompts.shown[1].startsWith("未设置服务器地址！"));
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_FALSE(FormatStore::Exists("工行进账单"));
}

TEST_F(CatalogueWindow, ClosingWhileADownloadWaitsCancelsItAndTheWindowGoesAfterwards)
{
    server.setRoute(QStringLiteral("/fmt/slow.tvq"), {200, Template("慢"), "text/plain", 3000ms});
    ASSERT_TRUE(ReplaceWebFormats({WebFormatRecord{0, "银行", "慢格式", "/fmt/slow.tvq", "", {}}}));
    auto* dlg = new WebCatalogueDialog(15360, {});
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<WebCatalogueDialog> guard(dlg);
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
    QTimer::singleShot(200, dlg, [dlg] {
        EXPECT_TRUE(dlg->IsBusy());
        EXPECT_FALSE(dlg->refreshButton->isEnabled());
        dlg->close();
        EXPECT_FALSE(dlg->isVisible());
    });
    QElapsedTimer clock;
    clock.start();
    const FormatImportResult r = dlg->DownInputFmt();
    EXPECT_LT(clock.elapsed(), 2500) << "the download was cancelled";
    EXPECT_FALSE(r.ok);
    QTRY_VERIFY(guard.isNull());
    EXPECT_FALSE(FormatStore::Exists("慢格式"));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

// --- The main window's part ------------------------------------------------------

namespace {

QAction* MenuAction(MainWindow& w, const QString& caption)
{
    for (QAction* a : w.menuBar()->findChildren<QAction*>())
        if (a->text() == caption) return a;
    return nullptr;
}

void SaveSmallFormat(const QString& name)
{
    SlipFormat f;
    FormatHeader h;
    h.name = name;
    h.widthMm = 180;
    h.heightMm = 90;
    f.Load(h, {});
    Box t = NewBoxOfKind(BoxKind::Text, {10, 10});
    t.caption = QStringLiteral("金额");
    f.AddBox(t);
    QHash<BoxId, BoxId> ids;
    ASSERT_TRUE(FormatStore::Save(f, name, false, 15360, ids).ok);
}

struct SelFormatAnswer {
    explicit SelFormatAnswer(const QString& name)
    {
        SelFormat::TestResponder() = [name](SelFormat& d) {
            d.choices->setCurrentIndex(d.choices->findText(name));
            d.OkClicked();
        };
    }
    ~SelFormatAnswer() { SelFormat::TestResponder() = {}; }
};

struct FormatListAnswer {
    explicit FormatListAnswer(std::function<void(FormatListDialog&)> f) { FormatListDialog::TestResponder() = std::move(f); }
    ~FormatListAnswer() { FormatListDialog::TestResponder() = {}; }
};

} // namespace

TEST(MainWindowExchange, ExportAndImportMenuItemsWriteAndReadExchangeFiles)
{
    TestHome home;
    SaveSmallFormat("工行");
    ScriptedPrompter prompts;
    ScriptedFileDialog files;
    MainWindow w;
    ASSERT_TRUE(w.Commands().ChooseFormat("工行", true));
    QAction* exportItem = MenuAction(w, "导出格式");
    QAction* importItem = MenuAction(w, "导入格式");
    ASSERT_TRUE(exportItem && importItem);
    EXPECT_TRUE(exportItem->isEnabled() && importItem->isEnabled());

    const QString out = home.file("导出/工行副本");
    QDir().mkpath(home.file("导出"));
    files.answers = {out};
    {
        SelFormatAnswer choose("工行");
        exportItem->trigger();
    }
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_TRUE(files.requests[0].save);
    EXPECT_EQ(files.requests[0].filter, "模板交换文件(*.tvq)|*.tvq");
    EXPECT_TRUE(files.requests[0].defaultName.endsWith("/工行.tvq"));
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0], "格式：“工行”导出完成！\r\n文件：" + out + ".tvq");
    EXPECT_TRUE(QFileInfo(out + ".tvq").isFile());

    // Importing it: the new format opens when the operator says so.
    prompts.shown.clear();
    prompts.answers = {PromptAnswer::Yes};
    files.answers = {out + ".tvq"};
    importItem->trigger();
    EXPECT_EQ(prompts.shown, QStringList{"格式“工行副本”导入成功,立即调用此格式？"});
    EXPECT_EQ(w.Format().Name(), "工行副本");
    EXPECT_EQ(w.formatNameLabel->text(), "工行副本");

    // Cancelled dialogs do nothing and say nothing.
    prompts.shown.clear();
    files.answers = {""};
    importItem->trigger();
    files.answers = {home.file("没有这个文件.tvq")};
    importItem->trigger();
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(FormatStore::List().size(), 2u);
}

TEST(MainWindowExchange, DownloadItemAndTheFormatListOpenTheCatalogue)
{
    TestHome home;
    ScriptedPrompter prompts;
    MainWindow w;
    QAction* download = MenuAction(w, "下载格式");
    ASSERT_TRUE(download);
    download->trigger();
    ASSERT_NE(w.WebCatalogue(), nullptr);
    EXPECT_TRUE(w.WebCatalogue()->isVisible());
    EXPECT_FALSE(w.WebCatalogue()->isModal());
    WebCatalogueDialog* first = w.WebCatalogue();
    download->trigger();
    EXPECT_EQ(w.WebCatalogue(), first) << "one catalogue window";
    w.WebCatalogue()->close();
    QTRY_VERIFY(w.WebCatalogue() == nullptr);

    // "下载更多…" closes the format list without a choice and opens the catalogue.
    bool clicked = false;
    {
        FormatListAnswer answer([&](FormatListDialog& d) {
            EXPECT_TRUE(d.downloadButton->isEnabled());
            QTest::mouseClick(d.downloadButton, Qt::LeftButton);
            clicked = true;
        });
        EXPECT_FALSE(w.Commands().ChooseFormat(QString(), false));
    }
    EXPECT_TRUE(clicked);
    QTRY_VERIFY(w.WebCatalogue() != nullptr);
    EXPECT_TRUE(w.WebCatalogue()->isVisible());
}

TEST(MainWindowExchange, ServerAddressIsAskedUntilItIsUsable)
{
    TestHome home;
    ScriptedPrompter prompts;
    MainWindow w;
    QAction* item = MenuAction(w, "服务器地址设置");
    ASSERT_TRUE(item);
    prompts.inputs = {QStringLiteral("ftp://example.test"), QStringLiteral(" https://example.test:8443/mirror ")};
    item->trigger();
    ASSERT_EQ(prompts.shown.size(), 3);
    EXPECT_EQ(prompts.shown[1], "服务器地址“ftp://example.test”无效！");
    EXPECT_EQ(ServerAddress(), "https://example.test:8443/mirror");
    // Cancel keeps it; an empty answer clears it.
    prompts.inputs = {std::nullopt};
    item->trigger();
    EXPECT_EQ(ServerAddress(), "https://example.test:8443/mirror");
    prompts.inputs = {QString()};
    item->trigger();
    EXPECT_EQ(ServerAddress(), "");
}

TEST(MainWindowExchange, StartArmsOneUpdateCheckTenSecondsLater)
{
    TestHome home;
    ScriptedPrompter prompts;
    FormatListAnswer none([](FormatListDialog&) {});
    MainWindow w;
    w.Start();
    ASSERT_NE(w.updateTimer, nullptr);
    EXPECT_TRUE(w.updateTimer->isActive());
    EXPECT_TRUE(w.updateTimer->isSingleShot());
    EXPECT_EQ(w.updateTimer->interval(), 10000);
    w.close();
}

TEST(MainWindowExchange, ANewerVersionIsToldWithTheBackupAndTheProgramGoesOn)
{
    TestHome home;
    LocalHttpServer server;
    ASSERT_TRUE(server.listen());
    ASSERT_TRUE(SetServerAddress(server.address()));
    server.setRoute("/calbrenno/downpage/Pro.asp", {200, Gbk("<html><title>单据套打系统(9.5)</title></html>")});
    SaveSmallFormat("工行");
    ScriptedPrompter prompts;
    MainWindow w;
    w.show();
    ASSERT_TRUE(w.Commands().ChooseFormat("工行", true));
    const BoxId box = w.Format().Boxes().front().id;
    w.Format().SetValue(box, QStringLiteral("1234.50"));

    w.RunUpdateCheck();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].contains("9.5"));
    const QString backup = DataFile("BAK_data000.DAT");
    EXPECT_TRUE(prompts.shown[0].contains(QDir::toNativeSeparators(backup))) << prompts.shown[0].toStdString();
    EXPECT_TRUE(QFileInfo(backup).isFile());
    EXPECT_EQ(server.hits("/calbrenno/downpage/Pro.asp"), 1);
    EXPECT_TRUE(server.requests().first().contains("ID=17"));
    // The program keeps running with what was typed.
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.Format().Value(box), "1234.50");
    EXPECT_EQ(w.Format().Name(), "工行");
    // Once per run.
    w.RunUpdateCheck();
    EXPECT_EQ(server.hits("/calbrenno/downpage/Pro.asp"), 1);
    EXPECT_EQ(prompts.shown.size(), 1);
}

TEST(MainWindowExchange, AnOlderOrEqualVersionIsNoNews)
{
    TestHome home;
    LocalHttpServer server;
    ASSERT_TRUE(server.listen());
    ASSERT_TRUE(SetServerAddress(server.address()));
    for (const char* version : {"2.9", "3.0"}) {
        server.setRoute("/calbrenno/downpage/Pro.asp",
                        {200, Gbk(QStringLiteral("<title>单据套打系统(%1)</title>").arg(version))});
        ScriptedPrompter prompts;
        MainWindow w;
        w.RunUpdateCheck();
        EXPECT_TRUE(prompts.shown.isEmpty()) << version;
        EXPECT_FALSE(QFileInfo::exists(DataFile("BAK_data000.DAT"))) << version;
    }
    EXPECT_EQ(server.hits("/calbrenno/downpage/Pro.asp"), 2);
    EXPECT_EQ(ProgramVersion(), "3.00");
}
