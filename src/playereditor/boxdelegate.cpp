#include "playereditor/boxdelegate.h"

#include <QAbstractButton>
#include <QLineEdit>

namespace Zuvi {

void BoxDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const QVariant value = index.data(Qt::EditRole);
    if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        const QString text = value.toString();
        if (edit->text() != text)
            edit->setText(text);
        edit->setModified(false);
    } else if (auto *button = qobject_cast<QAbstractButton *>(editor)) {
        button->setChecked(value.toBool());
    } else {
        QItemDelegate::setEditorData(editor, index);
    }
}

void BoxDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                               const QModelIndex &index) const
{
    const QVariant value = model->data(index, Qt::EditRole);
    if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        if (edit->isModified() && edit->text() != value.toString())
            model->setData(index, edit->text());
    } else if (auto *button = qobject_cast<QAbstractButton *>(editor)) {
        if (button->isChecked() != value.toBool())
            model->setData(index, button->isChecked() ? 1 : 0);
    } else {
        QItemDelegate::setModelData(editor, model, index);
    }
}

} // namespace Zuvi
