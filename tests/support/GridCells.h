#pragma once
#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QStringList>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>

namespace slip::test {

// The room a column leaves its texts: the column less its grid line and the style's margins.
inline int TextRoom(const QTableView& view, int column)
{
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    return view.columnWidth(column) - (view.showGrid() ? 1 : 0) - 2 * margin;
}

// The texts of the shown columns, in every row, that the view paints cut short.
inline QStringList CutShortCells(const QTableView& view)
{
    QStringList cut;
    const QAbstractItemModel* m = view.model();
    const QFontMetrics fm(view.font());
    for (int c = 0; c < m->columnCount(); ++c) {
        if (view.isColumnHidden(c)) continue;
        const int room = TextRoom(view, c);
        for (int r = 0; r < m->rowCount(); ++r) {
            // What the delegate shows, a line break as a line separator.
            const QModelIndex i = m->index(r, c);
            const QString text = qobject_cast<QStyledItemDelegate*>(view.itemDelegateForIndex(i))->displayText(i.data(), view.locale());
            for (const QString& line : text.split(QChar::LineSeparator))
                if (fm.elidedText(line, Qt::ElideRight, room) != line) cut << text;
        }
    }
    return cut;
}

} // namespace slip::test
