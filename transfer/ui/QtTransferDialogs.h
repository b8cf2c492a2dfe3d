#pragma once

#include "transfer/TransferDialogs.h"
#include "transfer/ui/TBatchUploadForm.h"

#include <QPointer>

class QWidget;

// The transfer dialogs shown modally over the main window.
class QtTransferDialogs : public TransferDialogs {
public:
    QtTransferDialogs(QWidget *parent, TBatchUploadForm::Services services);

    int chooseProtocol(int preselected) override;
    bool chooseBatch(QStringList &batch, const QString &uploadDir, QString &folder) override;

private:
    QPointer<QWidget> m_parent;
    TBatchUploadForm::Services m_services;
};
