#include "ui/main/createdatadialog.h"

#include "ui/main/dialogparts.h"
#include "ui/main/fonts.h"
#include "ui/main/radiogroup.h"

#include <QVBoxLayout>

namespace velka::ui {

TuFrmCreateData::TuFrmCreateData(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("uFrmCreateData"));
    auto* Layout = new QVBoxLayout(this);
    RadioGroup = new TRadioGroup(QStringLiteral("类型"),
                                 {QStringLiteral(".Data(网络资源格式)"), QStringLiteral(".Wzl(新格式)")}, this);
    RadioGroup->setObjectName(QStringLiteral("RadioGroup"));
    RadioGroup->SetItemIndex(Data);
    RadioGroup->setMinimumWidth(220);
    Layout->addWidget(RadioGroup);
    AddOkCancelRow(*this, *Layout);
    FinishDialog(*this, QStringLiteral("新建"), SongTiFont());
}

bool CreateDataDialog(QWidget* Parent, int& Kind)
{
    TuFrmCreateData Dialog(Parent);
    const bool Accepted = Dialog.exec() == QDialog::Accepted;
    Kind = Dialog.RadioGroup->ItemIndex();
    return Accepted;
}

}  // namespace velka::ui
