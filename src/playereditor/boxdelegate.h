#pragma once

#include <QItemDelegate>

namespace Zuvi {

/// Carries values between the model and the bound boxes. A box writes its value back
/// only when the user changed it, so that browsing never rewrites a record (a NULL
/// column stays NULL, a number stays a number). Check boxes carry a yes/no column as
/// their checked state.
class BoxDelegate final : public QItemDelegate
{
public:
    using QItemDelegate::QItemDelegate;

    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
};

} // namespace Zuvi
