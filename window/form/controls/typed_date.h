// A date as the clerk types it into a picker, key by key.
#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <array>

namespace quillbary {

// The digits typed so far into the year, month and day of a date shown as
// yyyy-MM-dd, over the date the picker had when the typing began. Every
// section not yet typed keeps that date's value.
//
// A section is full after four digits of a year, two of a month or day, or
// one digit that no second digit could follow (a month from 2, a day from 4);
// the typing then moves to the next section. A separator (- / . 年 月 日 or a
// blank, half- or full-width) ends a section that has digits and is otherwise
// passed over, so that "2011-02-04", "2011-2-4", "2011/2/4", "20110204" and
// "2011年2月4日" typed from the year all give 2011-02-04.
//
// Typing that began in the month or the day is read again from the year as
// soon as it shows itself a whole date: five digits in a row, or four and
// then a separator (a month and a day have four digits at most). So
// "2024-05-20" gives 2024-05-20 from whichever section it is typed into.
class TypedDate {
 public:
  enum Section { kYear, kMonth, kDay };

  TypedDate(QDate before, Section from);

  // Takes a digit or a separator and returns true; anything else is
  // refused with false.
  bool type(QChar c);
  // Takes back the last digit; false when none is left.
  bool backspace();

  // The date the typing gives, or an invalid date ("2009-02-30").
  QDate date() const;
  QDate before() const { return before_; }
  // "2011-2-01" after "2011-2": the typed digits as typed, the rest of the
  // date before; and where the next digit goes.
  QString text() const;
  Section section() const { return section_; }
  // The characters of the section where the next digit goes, within text().
  int sectionStart() const;
  int sectionLength() const;

  static bool IsSeparator(QChar c);

 private:
  bool full(Section section) const;
  bool typeIntoSection(QChar c);
  // Whether `typed_` starts as a whole date does from its year.
  bool startsAWholeDate() const;
  QString shown(Section section) const;

  QDate before_;
  Section from_;
  Section section_;
  std::array<QString, 3> digits_;
  QString typed_;  // every digit and separator taken, in order
};

}  // namespace quillbary
