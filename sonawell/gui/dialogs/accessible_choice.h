#pragma once

class QComboBox;

// Lets assistive technology choose an item of the box's list: its Toggle action selects the
// item, which the box alone ignores (it takes an item on a click or Enter). The item is then
// taken as Enter would take it, so the box's `activated` follows as for any other choice.
void takeAccessibleChoice(QComboBox* box);
