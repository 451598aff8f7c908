#include "tphrases.h"

#include "art/tableart.h"
#include "common/infront.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

Tphrases::Tphrases(Options &options, QWidget *parent)
    : QDialog(parent, Qt::Tool), m_options(options)
{
    setObjectName(QStringLiteral("phrases"));
    setWindowTitle(QStringLiteral("Velmora - Phrase Buttons"));
    setFixedSize(348, 282);
    setAutoFillBackground(true);
    TableArt::setPanelBackground(this);

    for (int n = 1; n <= Options::Phrases; ++n) {
        const int top = 8 + (n - 1) * 24;
        // The tenth row is labelled like the key beside 9.
        auto *label = new QLabel(QStringLiteral("Phrase Button %1:").arg(n % 10), this);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        label->setGeometry(12, top, 112, 21);
        auto *field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("phrase%1").arg(n));
        field->setMaxLength(MaxLength);
        field->setGeometry(128, top, 207, 21);
        m_fields[n] = field;
    }

    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("SelButton8"));
    done->setGeometry(272, 254, 63, 20);
    done->setAutoDefault(false);
    connect(done, &QPushButton::clicked, this, &Tphrases::SelButton8Click);
}

void Tphrases::showPhrases()
{
    for (int n = 1; n <= Options::Phrases; ++n)
        m_fields[n]->setText(m_options.phrase(n));
    showInFront(this);
}

void Tphrases::SelButton8Click()
{
    std::array<QString, Options::Phrases + 1> phrases;
    for (int n = 1; n <= Options::Phrases; ++n)
        phrases[n] = m_fields[n]->text();
    m_options.setPhrases(phrases);
    hide();
}

} // namespace velmora
