#pragma once
// Three hand-made records for the search tests.
#include "Sample_Records.h"

// Texts that need quoting, accents, a code in lower case and a record without a name.
struct Search_Test : Sample_Records_Test {
    void SetUp() override {
        Sample_Records_Test::SetUp();
        Fill_Records({"Year", "ProjName", "EM", "PortName", "RecoFr", "RecoEN"},
                     {{"2004", "Réseau; ville", "DE", "Müller", "texte un", "text one"},
                      {"1999", "Open \"City\"", "fr", "Dupont", "texte deux", "text two"},
                      {"2010", "Plain", "BE", "", "texte trois", "text three"}});
    }
};
