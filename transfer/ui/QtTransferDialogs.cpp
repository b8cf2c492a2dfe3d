#include "transfer/ui/QtTransferDialogs.h"

#include "transfer/ui/TDownForm.h"

QtTransferDialogs::QtTransferDialogs(QWidget *parent, TBatchUploadForm::Services services)
    : m_parent(parent)
    , m_services(services)
{ }

int QtTransferDialogs::chooseProtocol(int preselected)
{
    TDownForm form(m_services.help, m_parent);
    form.setItem(preselected);
    return form.exec() == QDialog::Accepted ? form.item() : -1;
}

bool QtTransferDialogs::chooseBatch(QStringList &batch, const QString &uploadDir, QString &folder)
{
    TBatchUploadForm form(batch, uploadDir, m_services, m_parent);
    form.setUploadFolderLabel(uploadDir);
    const bool accepted = form.exec() == QDialog::Accepted;
    folder = form.folder();
    return accepted;
}
