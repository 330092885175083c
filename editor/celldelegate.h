#pragma once

#include <QPointer>
#include <QStyledItemDelegate>
#include <functional>

// Paints the current cell highlighted and tells the view when Tab leaves an open editor.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

    std::function<void(bool forward)> tabOut;
    // Whether a cell is the cursor's, which is painted highlighted.
    std::function<bool(const QModelIndex&)> isCursor;
    // Set while an editor is open; creating and destroying editors are const calls.
    mutable QPointer<QWidget> openEditor;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void commitSender() { emit commitData(qobject_cast<QWidget*>(sender())); }
    static QString textOf(QWidget* editor);

    mutable QString m_original; // the cell's text when its editor opened
};
