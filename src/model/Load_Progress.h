#pragma once
// What the loader tells the window that shows its progress.
#include <QString>
#include <optional>

class Load_Progress {
public:
    virtual ~Load_Progress() = default;
    virtual void do_barre_titre_visible(const std::optional<QString>& Titre = std::nullopt) = 0;
    virtual void do_barre_init_val(int taille, const std::optional<QString>& Titre = std::nullopt) = 0;
    virtual void do_barre_affiche(int Niveau, const std::optional<QString>& Titre = std::nullopt) = 0;
    virtual void do_barre_hide_all() = 0;
};
