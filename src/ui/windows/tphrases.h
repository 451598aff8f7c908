#pragma once

#include "client/options.h"

#include <QDialog>

#include <array>

class QLineEdit;

namespace velmora {

// The phrase editor: ten fields for phrases 1..10 (the tenth is the
// chatter-sound button's). It shows the options' phrases when opened and
// stores all ten there with "Done"; closing it any other way keeps the old
// ones. Not modal, so the table stays usable; created once and only shown
// and hidden.
class Tphrases : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MaxLength = 50;

    explicit Tphrases(Options &options, QWidget *parent = nullptr);

    // View > "Phrase List": the fields take the current phrases.
    void showPhrases();
    // "Done": all ten fields become the phrases, empty ones included.
    void SelButton8Click();

private:
    Options &m_options;
    std::array<QLineEdit *, Options::Phrases + 1> m_fields{}; // index 0 unused
};

} // namespace velmora
