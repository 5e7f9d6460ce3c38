#include "ui/DataGrid.h"

#include "core/Units.h"
#include "storage/RecordListModel.h"
#include "ui/FrozenColumnView.h"
#include "ui/Progress.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QStyleOptionViewItem>
#include <QTextLayout>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace slip {

namespace {

constexpr int kPaddingTwips = 100;
constexpr int kEmptyColumnTwips = 50;
// Threads at most that measure a grid's texts ahead of it.
constexpr int kMeasuringThreads = 4;
// Runs handed over and waiting for a thread before another thread starts.
constexpr std::size_t kRunsWaitingForAnotherThread = 4;

int Pixels(double twips) { return std::max(1, int(twips / units::kTwipsPerPixel + 0.5)); }

int TextWidth(const QFontMetrics& fm, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// A character the bound below can answer for: no mark joining the one before,
// no control or format character, no surrogate half, of a script drawn glyph
// by glyph (or of none, as digits and punctuation).
bool PlainCharacter(QChar c)
{
    if (c.isSurrogate() || c.isMark()) return false;
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph: return false;
    default: break;
    }
    switch (c.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo: return true;
    default: return false;
    }
}

// The widest line of each column, found measuring as few lines as the rule
// allows: tens of thousands of cells take seconds to lay out one by one, yet
// most can't pass the widest found before them.
//
// A line of plain characters of one script (digits, spaces and punctuation
// taking the script of the letters around them, so drawn from the font
// chosen for that script) that starts with a letter, or holds no letter at
// all, is worked out from its first character on its own and what each next
// character adds after the one before it in that script: its advance and
// the kerning between the two. What a character adds is taken once per
// script and pair, after a fixed letter of the script, and only when the
// glyphs before it stay as they were and its own is the one it has in that
// script; otherwise (glyphs that join or change, as ligatures) the line is
// measured. A line that can't pass the widest exact width so far is left
// unmeasured, as it couldn't change the column. Every other line is
// measured, once whatever number of cells hold it.
class WidestLines {
public:
    // A few rows are measured as they are: working out the pairs of their
    // characters would take longer.
    WidestLines(const QFont& font, int columns, int rows)
        : font_(font), exact_(font), columns_(std::size_t(columns)), workOut_(rows >= kWorkOutRows)
    {
    }
    // Whether the text (any of its lines) is wider than the widest line
    // taken so far in its column; it becomes the widest when so.
    bool Take(int column, QStringView text)
    {
        Column& widest = columns_[std::size_t(column)];
        bool wider = false;
        for (qsizetype from = 0, to; from <= text.size(); from = to + 1) {
            to = text.indexOf(QLatin1Char('\n'), from);
            if (to < 0) to = text.size();
            const QStringView line = text.sliced(from, to - from);
            if (line.isEmpty() || (workOut_ && Worked(line) <= widest.exact)) continue;
            const Width w = Measure(line);
            widest.exact = std::max(widest.exact, w.exact);
            if (w.whole > widest.whole) {
                widest.whole = w.whole;
                wider = true;
            }
        }
        return wider;
    }
    int Widest(int column) const { return columns_[std::size_t(column)].whole; }
    // Takes row r's texts of the columns from `first` on (text(c) answers
    // column c); where a column's widest grows, notes its width and the row.
    template <class Text>
    void TakeRow(int r, int first, const Text& text, std::vector<int>& widest, std::vector<int>& at)
    {
        for (int c = first; c < int(columns_.size()); ++c)
            if (Take(c, text(c))) {
                widest[std::size_t(c)] = Widest(c);
                at[std::size_t(c)] = r;
            }
    }
    // Every column starts again from nothing (the measures are kept).
    void Restart() { std::fill(columns_.begin(), columns_.end(), Column()); }

private:
    // A line's width as the cells are sized (whole pixels), and exact, as
    // the worked out width is set against it.
    struct Width {
        int whole;
        double exact;
    };
    using Glyphs = std::vector<std::pair<QRawFont, quint32>>;
    // What is known of a script: the letter set before the pairs measured
    // in it, each character's glyph in it, what a character adds after
    // another (in 64ths of a pixel, which a float holds exactly).
    struct Script {
        QString letter;
        Glyphs letterGlyphs;
        std::vector<Glyphs> glyph;
        std::vector<float> adds;
    };
    static constexpr int kMaxCharacters = 512;  // worked out; the others are measured
    static constexpr int kWorkOutRows = 256;
    static constexpr qint16 kUnseen = -2, kNotPlain = -1;
    static constexpr double kUnknown = std::numeric_limits<double>::infinity();

    Width Measure(QStringView line)
    {
        const QString key = line.toString();
        auto found = measured_.constFind(key);
        if (found != measured_.cend()) return *found;
        // Whole pixels as QFontMetrics gives them: the same layout, rounded.
        const double exact = exact_.horizontalAdvance(key);
        return *measured_.insert(key, Width{qRound(exact), exact});
    }
    Glyphs GlyphsOf(const QString& text) const
    {
        QTextLayout layout(text, font_);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        // The runs come font by font: the glyphs are put back in line.
        std::vector<std::pair<double, std::pair<QRawFont, quint32>>> placed;
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i)
                placed.push_back({positions[i].x(), {run.rawFont(), indexes[i]}});
        }
        std::stable_sort(placed.begin(), placed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        Glyphs glyphs;
        for (const auto& p : placed) glyphs.push_back(p.second);
        return glyphs;
    }
    int Id(QChar c)
    {
        qint16& id = ids_[c.unicode()];
        return id != kUnseen ? id : NewId(c, id);
    }
    Q_NEVER_INLINE int NewId(QChar c, qint16& id)
    {
        if (!PlainCharacter(c) || int(characters_.size()) >= kMaxCharacters) return id = kNotPlain;
        id = qint16(characters_.size());
        characters_.push_back(c);
        alone_.push_back(exact_.horizontalAdvance(QString(c)));
        scriptOf_.push_back(c.script());
        return id;
    }
    Script& ScriptOf(QChar::Script script, QChar letter)
    {
        if (scripts_.empty()) scripts_.resize(QChar::ScriptCount);
        std::unique_ptr<Script>& known = scripts_[std::size_t(script)];
        if (!known) known = std::make_unique<Script>();
        Script& s = *known;
        if (s.adds.empty()) {
            s.letter = script == QChar::Script_Common ? QString() : QString(letter);
            s.letterGlyphs = GlyphsOf(s.letter);
            s.glyph.resize(kMaxCharacters);
            s.adds.assign(std::size_t(kMaxCharacters) * kMaxCharacters, std::numeric_limits<float>::quiet_NaN());
        }
        return s;
    }
    // The glyphs of the script's letter and the text, when the letter keeps
    // its glyphs; empty otherwise.
    Glyphs AfterLetter(const Script& s, const QString& text) const
    {
        Glyphs glyphs = GlyphsOf(s.letter + text);
        if (glyphs.size() < s.letterGlyphs.size() ||
            !std::equal(s.letterGlyphs.begin(), s.letterGlyphs.end(), glyphs.begin()))
            return {};
        return glyphs;
    }
    // What character b adds after character a in the script.
    double Adds(Script& s, int a, int b)
    {
        float& added = s.adds[std::size_t(a) * kMaxCharacters + std::size_t(b)];
        if (!std::isnan(added)) return added;
        added = std::numeric_limits<float>::infinity();
        const QChar first = characters_[std::size_t(a)], second = characters_[std::size_t(b)];
        Glyphs& own = s.glyph[std::size_t(b)];
        if (own.empty()) own = AfterLetter(s, QString(second));
        if (own.size() != s.letterGlyphs.size() + 1) return added;
        const Glyphs one = AfterLetter(s, QString(first));
        const Glyphs two = AfterLetter(s, QString(first) + second);
        if (one.empty() || two.size() != one.size() + 1 || !std::equal(one.begin(), one.end(), two.begin()) ||
            two.back() != own.back())
            return added;
        added = float(exact_.horizontalAdvance(s.letter + first + second) -
                      exact_.horizontalAdvance(s.letter + first));
        return added;
    }
    // The line's width worked out from its characters, or infinite.
    double Worked(QStringView line)
    {
        if (ids_.empty()) ids_.assign(0x10000, kUnseen);
        int before = Id(line[0]);
        if (before < 0) return kUnknown;
        // The line's letters are all of the first character's script; a line
        // that starts with a digit or a sign holds no letter.
        const QChar::Script script = scriptOf_[std::size_t(before)];
        Script& s = ScriptOf(script, line[0]);
        double width = alone_[std::size_t(before)];
        for (qsizetype i = 1; i < line.size(); ++i) {
            const int id = Id(line[i]);
            if (id < 0) return kUnknown;
            const QChar::Script own = scriptOf_[std::size_t(id)];
            if (own != script && own != QChar::Script_Common) return kUnknown;
            width += Adds(s, before, id);
            before = id;
        }
        return width;
    }

    struct Column {
        int whole = 0;
        double exact = 0;
    };
    QFont font_;
    QFontMetricsF exact_;
    std::vector<Column> columns_;
    bool workOut_;
    QHash<QString, Width> measured_;
    std::vector<qint16> ids_;  // by UTF-16 unit
    std::vector<QChar> characters_;
    std::vector<double> alone_;
    std::vector<QChar::Script> scriptOf_;
    std::vector<std::unique_ptr<Script>> scripts_;  // by script
};

// The width a cell takes to show this text whole: the text and the cell
// margins of the view's style, as its delegate paints it.
int CellWidth(const QTableView& view, const QModelIndex& index, int textWidth)
{
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.font = view.font();
    option.fontMetrics = view.fontMetrics();
    option.widget = &view;
    option.features = view.wordWrap() ? QStyleOptionViewItem::WrapText : QStyleOptionViewItem::None;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.decorationPosition = QStyleOptionViewItem::Left;
    int width = view.itemDelegateForIndex(index)->sizeHint(option, index).width();
    // A style that adds no margins still gets the text's own width.
    return std::max(width, textWidth);
}

// The width a caption takes to show whole in the view's header.
int CaptionWidth(const QTableView& view, int column)
{
    const QHeaderView* header = view.horizontalHeader();
    QStyleOptionHeader option;
    option.initFrom(header);
    option.section = column;
    option.text = view.model()->headerData(column, Qt::Horizontal).toString();
    option.fontMetrics = header->fontMetrics();
    option.orientation = Qt::Horizontal;
    if (option.text.isEmpty()) return 0;
    const int width = header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header).width();
    return std::max(width, TextWidth(header->fontMetrics(), option.text));
}

// Whether widths measured ahead are those of these rows and columns in
// this font (a font rebuilt from its description that measures alike).
bool MeasuredFor(const GridTextWidths* measured, const QFont& font, int rows, int columns, int first)
{
    if (!measured || measured->rows != rows || measured->first != first ||
        measured->widest.size() != std::size_t(columns) || measured->row.size() != std::size_t(columns) ||
        measured->font != font.toString())
        return false;
    QFont rebuilt;
    if (!rebuilt.fromString(measured->font) || rebuilt != font) return false;
    const QFontMetricsF a(rebuilt), b(font);
    return a.height() == b.height() && a.averageCharWidth() == b.averageCharWidth();
}

} // namespace

struct GridTextMeasure::Runs {
    struct Run {
        int from = 0;
        int count = 0;
        std::function<QString(int, int)> text;
        std::vector<int> widest, row;  // by column, once measured
    };

    // Takes the runs as they are handed over, each thread measuring in a
    // font of its own, until told that no more are coming.
    void Work()
    {
        QFont own;
        own.fromString(font);
        WidestLines lines(own, columns, rows);
        for (;;) {
            Run* run = nullptr;
            {
                std::unique_lock<std::mutex> hold(lock);
                handed.wait(hold, [this] { return abandon || ending || next < runs.size(); });
                if (abandon || next >= runs.size()) return;
                run = &runs[next++];
            }
            lines.Restart();
            std::vector<int> widest(std::size_t(columns), 0), at(std::size_t(columns), -1);
            for (int r = run->from, end = run->from + run->count; r < end && !abandon; ++r)
                lines.TakeRow(r, first, [&](int c) { return run->text(r, c); }, widest, at);
            const std::lock_guard<std::mutex> hold(lock);
            run->widest = std::move(widest);
            run->row = std::move(at);
            run->text = {};  // what it kept of the list goes now
        }
    }

    QString font;
    int columns = 0;
    int first = 0;
    int rows = 0;
    std::mutex lock;
    std::condition_variable handed;
    std::deque<Run> runs;  // a deque: a run taken stays put while others come
    std::size_t next = 0;  // the first run no thread has taken
    bool ending = false;
    std::atomic<bool> abandon{false};
    int most = 1;                      // threads at most
    std::vector<std::thread> threads;  // started and joined by the one handing runs over
};

GridTextMeasure::GridTextMeasure(const QString& font, int columns, int first, int rows) : runs_(new Runs)
{
    runs_->font = font;
    runs_->columns = std::max(columns, 0);
    runs_->first = std::clamp(first, 0, runs_->columns);
    runs_->rows = std::max(rows, 0);
    // One thread fewer than the machine runs at once, the list being made on
    // another; each thread costs a font and its pairs, so more are started
    // only while the runs wait for one.
    runs_->most = std::clamp(std::min(QThread::idealThreadCount() - 1, kMeasuringThreads), 1,
                             std::max(1, runs_->rows / 1024));
    runs_->threads.emplace_back([r = runs_.get()] { r->Work(); });
}

GridTextMeasure::~GridTextMeasure()
{
    {
        const std::lock_guard<std::mutex> hold(runs_->lock);
        runs_->abandon = true;
    }
    runs_->handed.notify_all();
    for (std::thread& t : runs_->threads) t.join();
}

void GridTextMeasure::Measure(int from, int count, std::function<QString(int, int)> text)
{
    if (count < 1 || from < 0) return;
    std::size_t waiting = 0;
    {
        const std::lock_guard<std::mutex> hold(runs_->lock);
        runs_->runs.push_back({from, count, std::move(text), {}, {}});
        waiting = runs_->runs.size() - runs_->next;
    }
    runs_->handed.notify_one();
    if (waiting > kRunsWaitingForAnotherThread && runs_->threads.size() < std::size_t(runs_->most))
        runs_->threads.emplace_back([r = runs_.get()] { r->Work(); });
}

GridTextWidths GridTextMeasure::Finish(int rows)
{
    {
        const std::lock_guard<std::mutex> hold(runs_->lock);
        runs_->ending = true;
    }
    runs_->handed.notify_all();
    for (std::thread& t : runs_->threads) t.join();
    runs_->threads.clear();
    const std::size_t columns = std::size_t(runs_->columns);
    GridTextWidths measured{runs_->font, rows, runs_->first, std::vector<int>(columns, 0),
                            std::vector<int>(columns, -1)};
    // The runs in the order of their rows: the first of the widest stands
    // where it would reading every row in turn.
    std::vector<const Runs::Run*> inOrder;
    for (const Runs::Run& run : runs_->runs) inOrder.push_back(&run);
    std::sort(inOrder.begin(), inOrder.end(), [](const Runs::Run* a, const Runs::Run* b) { return a->from < b->from; });
    int covered = 0;
    for (const Runs::Run* run : inOrder) {
        if (run->from != covered) break;
        covered += run->count;
        for (std::size_t c = 0; c < columns; ++c)
            if (run->widest[c] > measured.widest[c]) {
                measured.widest[c] = run->widest[c];
                measured.row[c] = run->row[c];
            }
    }
    if (covered != rows) measured.rows = -1;
    return measured;
}

void FitGridColumns(QTableView& view, int firstShown, bool withProgress, const CellText& text,
                    const GridTextWidths* measured, GridMeasureFrom from)
{
    const QAbstractItemModel* model = view.model();
    if (!model) return;
    const int rows = model->rowCount();
    const int columns = model->columnCount();
    const int cap = std::max(Pixels(kEmptyColumnTwips), view.width() / 2);
    const int first = std::clamp(firstShown, 0, columns);
    const int sized = columns - first;
    // The widest text of each column and the row it stands in.
    std::vector<int> widest(std::size_t(columns), 0);
    std::vector<int> widestRow(std::size_t(columns), -1);
    WindowProgress progress;
    const bool counted = withProgress && rows >= kGridSizingProgressRows && sized > 0;
    if (counted) progress.Start(QStringLiteral("正在做交易数据表格进行格式设置……"), sized);
    const bool ahead = MeasuredFor(measured, view.font(), rows, columns, first);
    if (ahead) {
        widest = measured->widest;
        widestRow = measured->row;
        if (counted) progress.Step(sized, QStringLiteral("pages"));
    }
    WidestLines lines(view.font(), ahead ? 0 : columns, rows);
    int shown = 0;
    for (int r = 0; r < (ahead ? 0 : rows); ++r) {
        lines.TakeRow(
            r, first,
            [&](int c) {
                const QModelIndex i = model->index(r, c);
                return text ? text(i) : i.data().toString();
            },
            widest, widestRow);
        if (counted) {
            // The share of the rows measured, in columns.
            const int due = int(qint64(r + 1) * sized / rows);
            if (due > shown) progress.Step(due - shown, QStringLiteral("pages"));
            // A long list measured between two columns' steps still lets
            // the windows paint and answer.
            else if (r % 1024 == 1023) progress.Step(0, QString());
            shown = due;
        }
    }
    // A column where nothing was measured may be narrower than the style's least.
    view.horizontalHeader()->setMinimumSectionSize(Pixels(kEmptyColumnTwips));
    const int gridLine = view.showGrid() ? 1 : 0;
    for (int c = 0; c < columns; ++c) {
        view.setColumnHidden(c, c < first);
        if (c < first) continue;
        int w = widest[c] > 0 ? CellWidth(view, model->index(widestRow[c], c), widest[c]) + gridLine : 0;
        if (w > 0 || rows == 0 || from == GridMeasureFrom::Captions) w = std::max(w, CaptionWidth(view, c));
        w = w > 0 ? w + Pixels(kPaddingTwips) : Pixels(kEmptyColumnTwips);
        view.setColumnWidth(c, std::min(w, cap));
    }
    if (counted) progress.End();
}

void SortOnCaptionClicks(QTableView& view, int firstSortable, std::function<void()> onFixedCaption)
{
    QHeaderView* header = view.horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);  // the caption carries the mark
    // The column sorted last and its order; the header's own indicator moves
    // on every click, also on captions that don't sort, so it is set from here.
    struct Sorted {
        int section = -1;
        Qt::SortOrder order = Qt::AscendingOrder;
    };
    auto sorted = std::make_shared<Sorted>();
    auto forget = [header, sorted] {
        *sorted = Sorted();
        header->setSortIndicator(-1, Qt::AscendingOrder);
    };
    forget();
    if (view.model()) QObject::connect(view.model(), &QAbstractItemModel::modelReset, header, forget);
    // The frozen columns' captions lie over those of the view.
    if (auto* frozen = qobject_cast<FrozenColumnView*>(&view); frozen && onFixedCaption) {
        QHeaderView* fixed = frozen->FrozenView()->horizontalHeader();
        fixed->setSectionsClickable(true);
        QObject::connect(fixed, &QHeaderView::sectionClicked, header, [firstSortable, onFixedCaption](int section) {
            if (section < firstSortable) onFixedCaption();
        });
    }
    QObject::connect(header, &QHeaderView::sectionClicked, header,
                     [&view, header, sorted, firstSortable, onFixedCaption](int section) {
                         if (section < firstSortable) {
                             header->setSortIndicator(sorted->section, sorted->order);
                             if (onFixedCaption) onFixedCaption();
                             return;
                         }
                         const bool again = sorted->section == section && sorted->order == Qt::AscendingOrder;
                         *sorted = {section, again ? Qt::DescendingOrder : Qt::AscendingOrder};
                         header->setSortIndicator(sorted->section, sorted->order);
                         if (view.model()) view.model()->sort(sorted->section, sorted->order);
                     });
}

DataGridView::DataGridView(RecordListModel* model, QWidget* parent) : QTableView(parent), list_(model)
{
    setModel(model);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    SortOnCaptionClicks(*this, model->RunningNumberColumn() + 1, [this] { SizeColumns(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { SizeColumns(); });
}

int DataGridView::CurrentRow() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

void DataGridView::SelectRow(int row, bool atTop)
{
    if (row < 0 || row >= list_->rowCount()) return;
    const QModelIndex at = list_->index(row, std::max(0, list_->RunningNumberColumn()));
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(at, atTop ? QAbstractItemView::PositionAtTop : QAbstractItemView::EnsureVisible);
}

void DataGridView::SizeColumns(bool withProgress)
{
    FitGridColumns(*this, std::max(0, list_->RunningNumberColumn()), withProgress);
}

void DataGridView::focusInEvent(QFocusEvent* event)
{
    // The item view's own handling makes the first row current.
    if (currentIndex().isValid()) {
        QTableView::focusInEvent(event);
        return;
    }
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void DataGridView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    // Widths are capped by the view's width, known once the layout has set it.
    QTimer::singleShot(0, this, [this] { SizeColumns(false); });
}

} // namespace slip
