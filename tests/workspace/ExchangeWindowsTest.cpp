#include "FileBytes.h"
#include "ScriptedFileDialog.h"
#include "LocalHttpServer.h"
#include "ScriptedPrompter.h"
#include "StoredFormats.h"
#include "TestHome.h"

#include "core/DataFolder.h"
#include "core/GridModel.h"
#include "exchange/ExchangeCodec.h"
#include "exchange/Server.h"
#include "exchange/TextFile.h"
#include "exchange/WebCatalogue.h"
#include "model/SlipFormat.h"
#include "storage/BackgroundStore.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"
#include "ui/FileDialogs.h"
#include "ui/GridView.h"
#include "ui/PicturePreview.h"
#include "ui/SelFormat.h"
#include "workspace/FormatListDialog.h"
#include "workspace/MainWindow.h"
#include "workspace/WebCatalogueDialog.h"

#include <QAction>
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
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace slip;
using namespace slip::test;
using namespace std::chrono_literals;

namespace {

// An exchange file of a small format, as the server offers it: two boxes,
// the first summing into the second negated.
QByteArray Template(const QString& caption)
{
    const QString sep = QStringLiteral("】★【");
    auto line = [&](const QStringList& head, const QString& sum) {
        return (head + QStringList(20 - head.size(), QString()) + QStringList{sum, ""}).join(sep);
    };
    return Gbk(QStringList{ExchangeMagicLine(), "进账单_工行",
                           line({"31", "0", caption, "1", "20", "20", "40", "8", ""}, "32.1"),
                           line({"32", "0", "大写", "1", "20", "30", "40", "8", ""}, ""),
                           line({"0", "", HeaderLabel(), "", "0", "0", "190", "95", "", "", "15360"}, "")}
                   .join("\r\n"));
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
        for (const char* bank : {"gh", "nh", "jh"})
            server.setRoute(QStringLiteral("/pic/%1.jpg").arg(bank), {200, JpegBytes(Qt::darkRed), "image/jpeg"});
        server.setRoute(QStringLiteral("/fmt/gh.tvq"), {200, Template(QStringLiteral("户名")), "text/plain"});
    }

    std::unique_ptr<WebCatalogueDialog> Open()
    {
        auto dlg = std::make_unique<WebCatalogueDialog>([this](const QString& name) { opened << name; });
        dlg->timeout = 5s;
        dlg->attempts = 1;
        dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        return dlg;
    }

    static void ClickRow(WebCatalogueDialog& dlg, const QString& name)
    {
        int row = dlg.list->FixedRows();
        while (row < dlg.list->Rows() && dlg.list->TextMatrix(row, 6) != name) ++row;
        const QModelIndex index = dlg.view->model()->index(row - dlg.list->FixedRows(), 6);
        dlg.view->scrollTo(index);
        QTest::mouseClick(dlg.view->viewport(), Qt::LeftButton, {}, dlg.view->visualRect(index).center());
        ASSERT_EQ(dlg.list->Row, row);
    }

    static QStringList Ticks(const WebCatalogueDialog& dlg)
    {
        QStringList out;
        for (int r = dlg.list->FixedRows(); r < dlg.list->Rows(); ++r) out << dlg.list->TextMatrix(r, 4);
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
    QTRY_COMPARE(dlg->list->Rows() - dlg->list->FixedRows(), 4);
    EXPECT_EQ(server.hits("/kvw/fmt.asp"), 1);
    // The first entry (by category, then name) is current and ticked; it has no picture.
    EXPECT_EQ(Ticks(*dlg), (QStringList{"√", "", "", ""}));
    EXPECT_TRUE(dlg->preview->noPicture->isVisible());

    ClickRow(*dlg, "工行进账单");
    EXPECT_EQ(Ticks(*dlg), (QStringList{"", "", "√", ""}));
    EXPECT_TRUE(dlg->preview->picture->isVisible());
    EXPECT_TRUE(QFileInfo(DataFile("Temp/gh.jpg")).isFile());
    dlg->keywordEdit->setText("进账单");
    QTest::keyClick(dlg->keywordEdit, Qt::Key_Return);
    EXPECT_EQ(dlg->CurrentEntry().name, "农行进账单") << "Enter searches from the current entry on";
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(CatalogueWindow, AnEntryDownloadsAndImportsAsANewFormat)
{
    auto dlg = Open();
    QTRY_COMPARE(dlg->list->Rows() - dlg->list->FixedRows(), 4);
    ClickRow(*dlg, "工行进账单");
    prompts.answers = {PromptAnswer::Yes};
    QTest::mouseClick(dlg->importButton, Qt::LeftButton);
    EXPECT_EQ(prompts.shown, QStringList{"格式“工行进账单”导入成功,立即调用此格式？"});
    EXPECT_EQ(opened, QStringList{"工行进账单"});
    StoredFormat f;
    ASSERT_TRUE(FormatStore::Load("工行进账单", 15360, {}, f).ok);
    ASSERT_EQ(f.boxes.size(), 2u);
    EXPECT_EQ(f.boxes[0].sum1.target, f.boxes[1].id) << "the sum follows its box to the new record";
    EXPECT_EQ(FileBytes(BackgroundStore::ExistingPicture("工行进账单")), FileBytes(DataFile("Temp/工行进账单.jpg")))
        << "the picture downloaded for this entry";
    EXPECT_TRUE(dlg->importButton->isEnabled());
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
}

TEST_F(CatalogueWindow, ClosingWhileADownloadWaitsCancelsItAndTheWindowGoesAfterwards)
{
    server.setRoute(QStringLiteral("/fmt/slow.tvq"), {200, Template("慢"), "text/plain", 3000ms});
    ASSERT_TRUE(ReplaceWebFormats({WebFormatRecord{0, "银行", "慢格式", "/fmt/slow.tvq", "", {}}}));
    auto* dlg = new WebCatalogueDialog({});
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
    SaveFormatWithBoxes("工行", {{BoxKind::Text, QStringLiteral("金额")}});
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
    EXPECT_EQ(files.requests[0].filter, "进账单格式(*.tvq)|*.tvq");
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
}

TEST(MainWindowExchange, DownloadItemAndTheFormatListOpenTheCatalogue)
{
    TestHome home;
    ScriptedPrompter prompts;
    MainWindow w;
    QAction* download = MenuAction(w, "下载格式");
    ASSERT_TRUE(download);
    download->trigger();
    WebCatalogueDialog* first = w.WebCatalogue();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible() && !first->isModal());
    download->trigger();
    EXPECT_EQ(w.WebCatalogue(), first) << "one catalogue window";
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
    prompts.inputs = {QString()};
    item->trigger();
    EXPECT_EQ(ServerAddress(), "");
}

TEST(MainWindowExchange, OneUpdateCheckTenSecondsAfterStartTellsANewerVersionAndTheProgramGoesOn)
{
    TestHome home;
    LocalHttpServer server;
    ASSERT_TRUE(server.listen());
    ASSERT_TRUE(SetServerAddress(server.address()));
    server.setRoute("/calbrenno/downpage/Pro.asp", {200, Gbk("<html><title>单据套打系统(9.5)</title></html>")});
    ScriptedPrompter prompts;
    FormatListAnswer none([](FormatListDialog&) {});
    MainWindow w;
    w.Start();
    ASSERT_NE(w.updateTimer, nullptr);
    EXPECT_TRUE(w.updateTimer->isActive() && w.updateTimer->isSingleShot());
    EXPECT_EQ(w.updateTimer->interval(), 10000);
    w.RunUpdateCheck();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].contains(QDir::toNativeSeparators(DataFile("BAK_data000.DAT"))));
    EXPECT_TRUE(w.isVisible()) << "the program goes on";
    // Once per run.
    w.RunUpdateCheck();
    EXPECT_EQ(server.hits("/calbrenno/downpage/Pro.asp"), 1);
    EXPECT_EQ(prompts.shown.size(), 1);
}

