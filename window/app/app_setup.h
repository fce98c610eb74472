// What the application sets up before the window opens, in the program and
// in the window tests alike.
#pragma once

namespace quillbary {

// Qt's own texts (the fields' right-click menu, the calendar, the boxes) in
// Simplified Chinese and the calendars' month and weekday names in Chinese,
// whatever the system's locale: a clerk's machine may run in English. Dates
// and numbers keep their fixed forms in every locale. Call once, after the
// QApplication is made. Returns false, and leaves Qt's texts in English, when
// Qt's Chinese translations are not installed.
//
// Every menu, tip and dialog (the fields' own right-click menus and boxes
// included) is in the sans face of SansFont(), never in the Song face of the
// window's fields.
bool SetUpApplication();

}  // namespace quillbary
