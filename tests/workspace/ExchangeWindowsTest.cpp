#include "DamagedTable.h"
#include "FileBytes.h"
#include "Responding.h"
#include "ScriptedFileDialog.h"
#include "LocalHttpServer.h"
#include "ScriptedPrompter.h"
#include "StoredFormats.h"
#include "TestHome.h"
#include "TestUpdater.h"
#include "TicksWhile.h"

#include "core/DataFolder.h"
#include "exchange/ExchangeCodec.h"
#include "exchange/Server.h"
#include "storage/BackgroundStore.h"
#include "ui/PicturePreview.h"
#include "ui/Progress.h"
#include "ui/SelFormat.h"
#include "workspace/FormatListDialog.h"
#include "workspace/MainWindow.h"
#include "workspace/WebCatalogueDialog.h"

#include "GridCells.h"

#include <QTest>
#include <QTimer>
#include <QTableView>
#include <QScrollBar>
#include "ui/FrozenColumnView.h"
#include <QPushButton>
#include <QMenuBar>
#include <QLineEdit>
#include <QLabel>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDialog>

using namespace slip;
using namespace slip::test;
using namespace std::chrono_literals;

namespace {

// An exchange file of a small format, as the server offers it: one box.
QByteArray Template(const QString& caption)
{
    const QString sep = QStringLiteral("】★【");
    return Gbk(QStringList{ExchangeMagicLine(), "进账单_工行",
                           (QStringList{"31", "0", caption, "1", "20", "20", "40", "8"} + QStringList(14)).join(sep),
                           (QStringList{"0", "", HeaderLabel(), "", "0", "0", "190", "95", "", "", "15360"} +
                            QStringList(11)).join(sep)}
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
        int row = 0;
        while (row < dlg.list->rowCount() && dlg.Entries()[row].name != name) ++row;
        const QModelIndex index = dlg.list->index(row, CatalogueListModel::NameColumn);
        dlg.view->scrollTo(index);
        QTest::mouseClick(dlg.view->viewport(), Qt::LeftButton, {}, dlg.view->visualRect(index).center());
        ASSERT_EQ(dlg.list->CurrentRow(), row);
    }

    // Closes the download's progress window once `route` is asked for again; tells whether it did.
    void CloseProgressOnceAsked(const QString& route, bool* cancelled)
    {
        auto* poll = new QTimer;
        const int before = server.hits(route);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, route, before, cancelled] {
            if (server.hits(route) == before) return;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* i = qobject_cast<Indicator*>(w);
                if (!i || !i->isVisible() || i->LBL->text() != QStringLiteral("正在下载...")) continue;
                i->close();
                *cancelled = true;
                poll->deleteLater();
                return;
            }
        });
        poll->start(50);
    }

    static QStringList Ticks(const WebCatalogueDialog& dlg)
    {
        QStringList out;
        for (int r = 0; r < dlg.list->rowCount(); ++r)
            out << dlg.list->index(r, CatalogueListModel::TickColumn).data().toString();
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
    EXPECT_EQ(CutShortCells(*dlg->view), QStringList());  // every entry whole; IDs and paths hidden
    for (int c : {CatalogueListModel::IdColumn, CatalogueListModel::FilePathColumn, CatalogueListModel::PicturePathColumn})
        EXPECT_TRUE(dlg->view->isColumnHidden(c)) << c;
    // The first entry (by category, then name) is current and ticked; it has no picture.
    EXPECT_EQ(Ticks(*dlg), (QStringList{"√", "", "", ""}));
    EXPECT_TRUE(dlg->preview->noPicture->isVisible());

    ClickRow(*dlg, "工行进账单");
    EXPECT_EQ(Ticks(*dlg), (QStringList{"", "", "√", ""}));
    EXPECT_TRUE(dlg->preview->picture->isVisible());
    dlg->keywordEdit->setText("进账单");
    QTest::keyClick(dlg->keywordEdit, Qt::Key_Return);
    EXPECT_EQ(dlg->CurrentEntry().name, "农行进账单") << "Enter searches from the current entry on";
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(CatalogueWindow, TheGridShowsEightColumnsFourFixedAndAnAnswerOfFinishedAloneEmptiesIt)
{
    auto dlg = Open();
    QTRY_COMPARE(dlg->list->rowCount(), 4);
    QStringList captions;
    for (int c = 0; c < dlg->list->columnCount(); ++c)
        captions << dlg->list->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(captions, (QStringList{"ID", "格式", "图片", "序号", "选择", "类别", "格式名称", "更新日期"}));
    ClickRow(*dlg, "工行进账单");
    const int row = dlg->list->CurrentRow();
    EXPECT_EQ(dlg->list->index(row, CatalogueListModel::FilePathColumn).data().toString(), "/fmt/gh.tvq");
    EXPECT_EQ(dlg->list->index(row, CatalogueListModel::PicturePathColumn).data().toString(), "/pic/gh.jpg");
    EXPECT_GT(dlg->list->index(row, CatalogueListModel::IdColumn).data().toLongLong(), 0);
    // Columns up to "序号" are fixed, unhighlighted, and only "序号" of them shows.
    EXPECT_EQ(dlg->view->FrozenWidth(), dlg->view->columnViewportPosition(CatalogueListModel::TickColumn) +
                                            dlg->view->horizontalScrollBar()->value());
    for (int c = 0; c < CatalogueListModel::ColumnCount; ++c) {
        const bool fixed = c <= CatalogueListModel::NumberColumn;
        EXPECT_EQ(dlg->view->selectionModel()->isSelected(dlg->list->index(row, c)), !fixed) << c;
        EXPECT_EQ(dlg->view->FrozenView()->isColumnHidden(c), c != CatalogueListModel::NumberColumn) << c;
    }
    // A click on a fixed cell makes its row current all the same.
    QTest::mouseClick(dlg->view->FrozenView()->viewport(), Qt::LeftButton, {},
                      dlg->view->FrozenView()->visualRect(dlg->list->index(0, CatalogueListModel::NumberColumn)).center());
    EXPECT_EQ(dlg->list->CurrentRow(), 0);
    EXPECT_TRUE(dlg->view->selectionModel()->isSelected(dlg->list->index(0, CatalogueListModel::TickColumn)));

    server.setRoute(QStringLiteral("/kvw/fmt.asp"), {200, "Finished"});
    QTest::mouseClick(dlg->refreshButton, Qt::LeftButton);
    EXPECT_EQ(dlg->list->rowCount(), 0);
    EXPECT_TRUE(LoadWebFmtList().isEmpty());
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(CatalogueWindow, TheKeywordBoxOpensWithTheStoredKeywordAndNoHint)
{
    ASSERT_TRUE(ReplaceWebFormats({WebFormatRecord{0, "银行", "工行进账单", "/fmt/gh.tvq", "", {}}}));
    for (const QString& stored : {QString(), QStringLiteral("工行")}) {
        ASSERT_TRUE(SaveSearchKeyword(stored));
        auto dlg = Open();
        EXPECT_EQ(dlg->keywordEdit->text(), stored);
        EXPECT_EQ(dlg->keywordEdit->placeholderText(), QString()) << stored.toStdString();
    }
}

TEST_F(CatalogueWindow, DownloadsShowTheProgressWindowAndClosingItStopsThemLeavingNothing)
{
    // Far slower than any wait of the test: only closing the progress window ends these downloads.
    for (const char* slow : {"/pic/slow.jpg", "/pic/slow2.jpg"})
        server.setRoute(QString::fromLatin1(slow), {200, JpegBytes(Qt::red), "image/jpeg", 60000ms});
    server.setRoute(QStringLiteral("/fmt/slow.tvq"), {200, Template("慢"), "text/plain", 60000ms});
    ASSERT_TRUE(ReplaceWebFormats({WebFormatRecord{0, "银行", "慢格式", "/fmt/slow.tvq", "/pic/slow.jpg", {}},
                                   WebFormatRecord{0, "银行", "慢图格式", "/fmt/gh.tvq", "/pic/slow2.jpg", {}},
                                   WebFormatRecord{0, "银行", "快格式", "/fmt/gh.tvq", "/pic/gh.jpg", {}}}));
    ASSERT_TRUE(QDir().mkpath(DataFile("Temp")));  // its preview is at hand: only the import asks for it
    ASSERT_TRUE(WriteBytes(DataFile("Temp/slow2.jpg"), JpegBytes(Qt::blue)));
    auto dlg = Open();
    QTRY_COMPARE(dlg->list->rowCount(), 3);
    ClickRow(*dlg, "快格式");
    ASSERT_TRUE(dlg->preview->picture->isVisible());
    // The slow entry's preview picture: the former preview stays.
    bool cancelled = false;
    CloseProgressOnceAsked("/pic/slow.jpg", &cancelled);
    ClickRow(*dlg, "慢格式");
    QTRY_VERIFY(!dlg->IsBusy());
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(dlg->preview->picture->isVisible() && !dlg->preview->noPicture->isVisible());
    EXPECT_FALSE(QFileInfo::exists(DataFile("Temp/slow.jpg")));
    // The entries themselves; neither leaves a picture.
    const struct { QString name, awaited; QStringList said; bool imported; } cases[] = {
        // Stopped at the template: the import's word for a template it can't open.
        {"慢格式", "/fmt/slow.tvq", {"无法打开下载文档：\r\n" + QDir::toNativeSeparators(DataFile("Temp/慢格式.tvq"))}, false},
        {"慢图格式", "/pic/slow2.jpg", {"格式“慢图格式”导入成功,立即调用此格式？"}, true},  // comes without the picture
    };
    for (const auto& c : cases) {
        if (dlg->CurrentEntry().name != c.name) ClickRow(*dlg, c.name);
        prompts.shown.clear();
        prompts.answers = {PromptAnswer::No};
        cancelled = false;
        CloseProgressOnceAsked(c.awaited, &cancelled);
        const FormatImportResult r = dlg->DownInputFmt();
        EXPECT_TRUE(cancelled) << c.awaited.toStdString();
        EXPECT_EQ(r.ok, c.imported);
        EXPECT_EQ(FormatStore::Exists(c.name), c.imported);
        EXPECT_EQ(prompts.shown, c.said);
        EXPECT_EQ(QFileInfo::exists(DataFile("Temp/" + c.name + ".tvq")), c.imported);
        EXPECT_FALSE(QFileInfo::exists(DataFile("Temp/" + c.name + ".jpg")));
        EXPECT_TRUE(BackgroundStore::ExistingPicture(c.name).isEmpty());
        EXPECT_TRUE(dlg->importButton->isEnabled());
    }
}

TEST_F(CatalogueWindow, AHugeListIsStoredAndShownWhileTheWindowsKeepAnswering)
{
    QStringList lines;
    for (int i = 0; i < 200000; ++i) lines << QStringLiteral("银行|格式%1|/fmt/%1.tvq||2023-05-06").arg(i);
    server.setRoute(QStringLiteral("/kvw/fmt.asp"), {200, Gbk(lines.join("<br>") + "<br>Finished<BR>")});
    ASSERT_TRUE(ReplaceWebFormats({WebFormatRecord{0, "银行", "旧的", "/old.tvq", "", {}}}));
    auto dlg = Open();
    dlg->timeout = 30s;
    // While the new list is being written (the database's rollback journal
    // stands beside it), the window goes on handling its events: a timer of
    // its thread keeps firing (how long its gaps are is measured in the
    // benchmarks).
    const int ticksWhileStoring = TicksWhileFileExists(DatabasePath() + QStringLiteral("-journal"), [&] {
        QTest::mouseClick(dlg->refreshButton, Qt::LeftButton);
    });
    EXPECT_GE(ticksWhileStoring, 3);
    ASSERT_EQ(dlg->list->rowCount(), 200000) << dlg->statusLabel->text().toStdString();
    EXPECT_EQ(dlg->list->index(199999, CatalogueListModel::NumberColumn).data().toInt(), 200000);
    EXPECT_EQ(Ticks(*dlg).first(), "√");
    EXPECT_TRUE(prompts.shown.isEmpty());
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
    EXPECT_EQ(FileBytes(BackgroundStore::ExistingPicture("工行进账单")), FileBytes(DataFile("Temp/工行进账单.jpg")))
        << "the picture downloaded for this entry";
    EXPECT_TRUE(dlg->importButton->isEnabled());
}

TEST_F(CatalogueWindow, ClosingWhileADownloadWaitsCancelsItAndTheWindowGoesAfterwards)
{
    // The server would answer well before the window's time-out: only the
    // closing can make the download fail.
    server.setRoute(QStringLiteral("/fmt/slow.tvq"), {200, Template("慢"), "text/plain", 30s});
    ASSERT_TRUE(ReplaceWebFormats({WebFormatRecord{0, "银行", "慢格式", "/fmt/slow.tvq", "", {}}}));
    auto* dlg = new WebCatalogueDialog({});
    dlg->timeout = 300s;
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<WebCatalogueDialog> guard(dlg);
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
    // Closed once the server holds the request, so the download is waiting.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, dlg, [&, dlg] {
        if (server.hits(QStringLiteral("/fmt/slow.tvq")) == 0) return;
        poll.stop();
        EXPECT_TRUE(dlg->IsBusy());
        EXPECT_FALSE(dlg->refreshButton->isEnabled());
        dlg->close();
        EXPECT_FALSE(dlg->isVisible());
    });
    poll.start(5);
    const FormatImportResult r = dlg->DownInputFmt();
    EXPECT_FALSE(poll.isActive()) << "closed while the download waited";
    EXPECT_FALSE(r.ok);
    QTRY_VERIFY(guard.isNull());
    EXPECT_FALSE(FormatStore::Exists("慢格式"));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

namespace {

// A main window on a data folder of the test's own.
class MainWindowExchange : public ::testing::Test {
protected:
    QAction* Item(const QString& caption) const
    {
        for (QAction* a : w->menuBar()->findChildren<QAction*>())
            if (a->text() == caption) return a;
        return nullptr;
    }
    TestHome home;
    ScriptedPrompter prompts;
    std::unique_ptr<MainWindow> w = std::make_unique<MainWindow>();
};

} // namespace

TEST_F(MainWindowExchange, ExportAndImportMenuItemsWriteAndReadExchangeFiles)
{
    SaveFormatWithBoxes("建行/进账单", {{BoxKind::Text, QStringLiteral("金额")}});
    ScriptedFileDialog files;
    ASSERT_TRUE(w->Commands().ChooseFormat("建行/进账单", true));
    QAction* exportItem = Item("导出格式");
    QAction* importItem = Item("导入格式");
    ASSERT_TRUE(exportItem && importItem);
    EXPECT_TRUE(exportItem->isEnabled() && importItem->isEnabled());
    const QString out = home.file("工行副本");
    files.answers = {out};
    {
        test::Responding<SelFormat> choose([](SelFormat& d) {
            d.choices->setCurrentIndex(d.choices->findText("建行/进账单"));
            d.OkClicked();
        });
        exportItem->trigger();
    }
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_EQ(files.requests[0].filter, "进账单格式(*.tvq)|*.tvq");
    // The dialog starts in the data folder at the format's name, its
    // forbidden characters replaced; the message ends with the export done.
    EXPECT_EQ(files.requests[0].defaultName, QDir(DataFolder()).filePath("建行4进账单"));
    EXPECT_EQ(prompts.shown, QStringList{"格式：“建行/进账单”导出完成！"});
    // Importing it: the new format opens when the operator says so.
    prompts.shown.clear();
    prompts.answers = {PromptAnswer::Yes};
    files.answers = {out + ".tvq"};
    importItem->trigger();
    EXPECT_EQ(prompts.shown, QStringList{"格式“工行副本”导入成功,立即调用此格式？"});
    EXPECT_EQ(w->Format().Name(), "工行副本");
}

// The menu item and the window's button open the one catalogue window.
TEST_F(MainWindowExchange, DownloadItemAndButtonOpenOneCatalogueWindow)
{
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    QAction* download = Item("下载格式");
    ASSERT_TRUE(download);
    QPushButton* button = w->catalogueButton;
    ASSERT_TRUE(button && button->isVisible() && button->isEnabled());
    EXPECT_FALSE(button->toolTip().isEmpty() || button->icon().isNull());
    QTest::mousePress(button, Qt::LeftButton);
    QApplication::processEvents();
    QTest::mouseRelease(button, Qt::LeftButton);
    WebCatalogueDialog* first = w->findChild<WebCatalogueDialog*>();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible() && !first->isModal());
    download->trigger();
    EXPECT_EQ(w->findChildren<WebCatalogueDialog*>(), QList<WebCatalogueDialog*>{first});
}

TEST_F(MainWindowExchange, ServerAddressIsAskedUntilItIsUsable)
{
    QAction* item = Item("服务器地址设置");
    ASSERT_TRUE(item);
    prompts.inputs = {QStringLiteral("ftp://example.test"), QStringLiteral(" https://example.test:8443/mirror ")};
    item->trigger();
    ASSERT_EQ(prompts.shown.size(), 3);
    EXPECT_EQ(prompts.shown[1], "服务器地址“ftp://example.test”无效！");
    EXPECT_EQ(ServerAddress(), "https://example.test:8443/mirror");
    prompts.inputs = {QString()};
    item->trigger();
    EXPECT_EQ(ServerAddress(), "");
    // An address that can't be stored is told with the failed statement.
    test::DamageTable("参数");
    prompts.shown.clear();
    prompts.inputs = {QStringLiteral("https://example.test")};
    item->trigger();
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_TRUE(prompts.shown[1].startsWith("数据库打开错误(")) << prompts.shown[1].toStdString();
}

TEST_F(MainWindowExchange, ANewerVersionAsksToSaveThenHandsOverToTheUpdaterBesideTheProgramAndClosesTheWindow)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.listen());
    ASSERT_TRUE(SetServerAddress(server.address()));
    server.setRoute("/calbrenno/downpage/Pro.asp", {200, Gbk("<html><title>单据套打系统(9.5)</title></html>")});
    // The updater is looked for beside the program: here, beside the test program.
    const QString folder = QCoreApplication::applicationDirPath();
    const QString updater = folder + "/update";
    struct Removed {
        QString path;
        ~Removed() { QFile::remove(path); }
    } removed{updater};
    QFile::remove(updater);
    const QString starting = "本软件已升级，启动自动升级...";

    // Without an updater the operator is told so and the program goes on.
    {
        test::Responding<FormatListDialog> none([](FormatListDialog&) {});
        w->Start();
    }
    ASSERT_NE(w->updateTimer, nullptr);
    EXPECT_TRUE(w->updateTimer->isActive() && w->updateTimer->isSingleShot());
    EXPECT_EQ(w->updateTimer->interval(), 10000);
    w->RunUpdateCheck();
    EXPECT_EQ(prompts.shown, (QStringList{starting, "没有找到自动升级程序“" + QDir::toNativeSeparators(updater)
                                                        + "”，请从服务器下载新版本后手动安装。"}));
    EXPECT_EQ(prompts.icons.value(0), PromptIcon::None);
    EXPECT_EQ(QFile::permissions(DataFile("BAK_data000.DAT")) & 0x0FFF, QFile::ReadUser | QFile::WriteUser);
    EXPECT_TRUE(w->isVisible()) << "the program goes on";
    w->RunUpdateCheck();  // once per run
    EXPECT_EQ(server.hits("/calbrenno/downpage/Pro.asp"), 1);
    EXPECT_EQ(prompts.shown.size(), 2);
    w.reset();

    // With one, the changed format is offered for saving first: Cancel keeps it all and starts nothing.
    const QVector<BoxId> ids = SaveFormatWithBoxes("工行", {{BoxKind::Text, QStringLiteral("户名")}});
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("工行", {}).ok);
    const QString question = "格式“工行”已修改，是否保存？";
    const auto openMoved = [&](double left) {  // a new window with the box moved
        w = std::make_unique<MainWindow>();
        w->Start();
        Box moved = *w->Format().Find(ids[0]);
        moved.rect.moveLeft(left);
        w->Format().UpdateBox(moved);
    };
    const QString cancelledRecord = home.file("updater-record-cancelled");
    ASSERT_TRUE(WriteTestUpdater(folder, cancelledRecord));
    prompts.shown.clear();
    prompts.answers = {PromptAnswer::Ok, PromptAnswer::Cancel};
    openMoved(55);
    w->RunUpdateCheck();
    EXPECT_EQ(prompts.shown, (QStringList{starting, question, "已取消退出，自动升级将在下次启动程序时进行。"}));
    EXPECT_TRUE(w->isVisible() && w->Format().IsModified());
    w.reset();

    // Answered, it starts, and once the dialog open then is done the window closes as the
    // operator's close would: the box values become the defaults and the state record names it.
    const QString record = home.file("updater-record");
    ASSERT_TRUE(WriteTestUpdater(folder, record));
    prompts.shown.clear();
    prompts.answers = {PromptAnswer::Ok, PromptAnswer::Yes};
    openMoved(66);
    w->Format().SetValue(ids[0], "张三");
    w->optionBoxes[0]->setChecked(true);  // 显示标尺
    QDialog dialog(w.get());
    bool openUnderTheDialog = false;
    QTimer::singleShot(0, &dialog, [&] {
        w->RunUpdateCheck();
        QTest::qWait(300);
        openUnderTheDialog = w->isVisible();
        dialog.accept();
    });
    dialog.exec();
    EXPECT_TRUE(openUnderTheDialog);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->isVisible(); }, 20000));
    EXPECT_EQ(WaitForUpdaterRecord(record),
              (QStringList{folder, "QV17.rar|" + QFileInfo(QCoreApplication::applicationFilePath()).fileName()}));
    EXPECT_EQ(prompts.shown, (QStringList{starting, question})) << "asked once, before the updater started";
    EXPECT_FALSE(QFileInfo::exists(cancelledRecord)) << "no updater ran beside the program that stayed";
    EXPECT_TRUE(QFileInfo::exists(DataFile("BAK_data002.DAT")));
    EXPECT_EQ(FormatStore::LoadDefaults("工行").value(ids[0]), "张三");
    SlipOptions options;
    EXPECT_EQ(FormatStore::LoadCurrentFormatState(options), "工行");
    EXPECT_TRUE(options.showRulers);
    StoredFormat back;
    ASSERT_TRUE(FormatStore::Load("工行", 15360, {}, back).ok);
    EXPECT_EQ(back.boxes[0].rect.left(), 66);
}
