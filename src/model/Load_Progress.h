#pragma once
// What the loader tells the window that shows its progress.
#include <QString>
#include <optional>

class Load_Progress {
public:
    virtual ~Load_Progress() = default;
    virtual void Show_Progress_Title(const std::optional<QString>& progress_title = std::nullopt) = 0;
    virtual void Start_Progress(int progress_total, const std::optional<QString>& progress_title = std::nullopt) = 0;
    virtual void Show_Progress(int progress_value, const std::optional<QString>& progress_title = std::nullopt) = 0;
    virtual void Hide_Progress() = 0;
};
