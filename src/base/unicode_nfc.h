#pragma once
// Names typed on different systems arrive composed ("é" as one character) or decomposed ("e"
// followed by a combining acute). They are compared and stored in the composed form, so the
// same name always finds the same patient.
#include <string>

namespace meridane {

// The composed form of UTF-8 text for Latin, Greek and Cyrillic letters with their marks;
// everything else passes unchanged. Invalid UTF-8 is returned as it is.
std::string ComposeText(const std::string& text);

// True when the two texts are the same once composed.
bool SameComposedText(const std::string& a, const std::string& b);

}  // namespace meridane
