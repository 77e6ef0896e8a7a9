#pragma once
// Closed list boxes (QComboBox that take no typing) as screen readers meet them: named by their
// label, with the choice they show as their value and as their text, where a reader on this
// desktop looks for it. Qt's own presents the choice only as the box's name, which readers
// leave unsaid for a list box, so that "Voz: caixa de combinação." came without the voice.
// Serves every such box of the program, the standard dialogs' included, from the call on; safe
// to call more than once.
void InstallComboBoxAccessibility();
