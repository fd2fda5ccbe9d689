#include "optiofrm.h"

#include <QSet>
#include <QStandardPaths>

#include "appenv.h"
#include "chartstore.h"
#include "sjistext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

TForm2::TForm2(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    PageControl1 = new QTabWidget(this);
    auto make = [this](auto *&w, const char *name) {
        w = new std::remove_reference_t<decltype(*w)>(this);
        w->setObjectName(QString::fromLatin1(name));
    };
    make(RadioButton1, "RadioButton1");
    make(RadioButton2, "RadioButton2");
    make(RadioButton3, "RadioButton3");
    make(RadioButton4, "RadioButton4");
    RadioButton1->setChecked(true);
    QCheckBox **boxes[] = {&CheckBox1,  &CheckBox2,  &CheckBox3,  &CheckBox4,  &CheckBox5,  &CheckBox6,
                           &CheckBox7,  &CheckBox8,  &CheckBox9,  &CheckBox10, &CheckBox11, &CheckBox12,
                           &CheckBox13, &CheckBox14, &CheckBox15, &CheckBox16, &CheckBox17, &CheckBox18,
                           &CheckBox19, &CheckBox20, &CheckBox21, &CheckBox22, &CheckBox23};
    for (int i = 0; i < 23; ++i) {
        *boxes[i] = new QCheckBox(this);
        (*boxes[i])->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
    }
    QLineEdit **edits[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8};
    for (int i = 0; i < 8; ++i) {
        *edits[i] = new QLineEdit(this);
        (*edits[i])->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
    }
    QPushButton **buttons[] = {&Button1, &Button2, &Button3, &Button4,
                               &Button5, &Button6, &Button7, &Button8};
    for (int i = 0; i < 8; ++i) {
        *buttons[i] = new QPushButton(this);
        (*buttons[i])->setObjectName(QStringLiteral("Button%1").arg(i + 1));
    }
    QLabel **labels[] = {&Label1,  &Label2,  &Label3,  &Label4,  &Label5,  &Label6,  &Label7,
                         &Label8,  &Label9,  &Label10, &Label11, &Label12, &Label13, &Label14,
                         &Label15, &Label16, &Label17, &Label18, &Label19};
    for (int i = 0; i < 19; ++i) {
        *labels[i] = new QLabel(this);
        (*labels[i])->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    }
    make(ComboBox1, "ComboBox1");
    make(ComboBox2, "ComboBox2");
}

TForm2::~TForm2() = default;

void TForm2::LoadSettings(const QStringList &arguments) {
    Q_UNUSED(arguments);
    using namespace vorq;
    // Until settings are stored: the data folder is the user settings folder.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     QStringLiteral("/Brelon/vorqview/");
    Edit4->setText(folder);
    RadioButton1->setChecked(true);
    const QList<QByteArray> notFound =
        readNotFoundList(sjis::fromUnicode(Edit4->text()), env::programFolder());
    const QSet<QByteArray> nf(notFound.begin(), notFound.end());
    ComboBox1->clear();
    ComboBox2->clear();
    for (const QDate &d : broadcastCalendar(env::today(), nf)) {
        const QString label = sjis::toUnicode(dateLabel(d));
        ComboBox1->addItem(label);
        ComboBox2->addItem(label);
    }
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(ComboBox2->count() - 1);
}

void TForm2::SaveSettings() {}

void TForm2::ShowOptions() {}
