#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QString>
#include <QWidget>

// Where a widget sits in its parent's grid, as "row,column,rows,columns"; "none" outside a grid.
inline QString gridCell(const QWidget *w)
{
    const auto *grid
        = w->parentWidget() ? qobject_cast<QGridLayout *>(w->parentWidget()->layout()) : nullptr;
    const int index = grid ? grid->indexOf(const_cast<QWidget *>(w)) : -1;
    if (index < 0)
        return QStringLiteral("none");
    int row, column, rows, columns;
    grid->getItemPosition(index, &row, &column, &rows, &columns);
    return QStringLiteral("%1,%2,%3,%4").arg(row).arg(column).arg(rows).arg(columns);
}

// The object names of the widgets that Tab visits after start, in order, within root.
inline QStringList tabOrder(QWidget *root, QWidget *start, int count)
{
    QStringList names;
    QWidget *w = start;
    while (names.size() < count) {
        names << w->objectName();
        do {
            w = w->nextInFocusChain();
        } while (w != start && (!(w->focusPolicy() & Qt::TabFocus) || !root->isAncestorOf(w)));
        if (w == start)
            break;
    }
    return names;
}

// The directory dialogs currently on screen: they have no parent, so findChild cannot see them.
inline QList<QFileDialog *> visibleDialogs()
{
    QList<QFileDialog *> dialogs;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QFileDialog *>(w); dialog && dialog->isVisible())
            dialogs << dialog;
    }
    return dialogs;
}
