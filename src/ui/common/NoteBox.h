#pragma once

class QPlainTextEdit;

// A box of notes inside a form: Tab and Shift+Tab move to the next and previous control, as in every other box
// of the form, so a keyboard user is never caught in it; Ctrl+Tab types a tab.
void tabMovesFocus(QPlainTextEdit* box);
