// The short help a clerk gets from F1 before the first calculation.
#pragma once

#include <QString>

class QWidget;

namespace quillbary {

// The help's text: the keys, what the amount and the rate accept, and how
// the interest is reckoned, in one sentence.
QString HelpText();

// A box titled 帮助 with HelpText and one OK button (确定); returns when the
// clerk closes it.
void ShowHelp(QWidget* parent);

}  // namespace quillbary
