#pragma once

class QComboBox;

// Fills a combo box with the names of every project type in record order, so item i is the type with
// index i; the first item is selected.
void fillTypeCombo(QComboBox* combo);
