#pragma once
// What the setup says: the boxes' texts, titles and types, and the result file's reports.

#include <string>

namespace tavo::setup {

// Message box types and the one result that continues.
inline constexpr unsigned kBoxOk = 0x0;
inline constexpr unsigned kBoxOkCancel = 0x1;
inline constexpr unsigned kIconError = 0x10;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

inline constexpr unsigned kConfirmationType = kBoxOkCancel | kIconInformation;
inline constexpr unsigned kCompletionType = kBoxOk | kIconInformation;
inline constexpr unsigned kFailureType = kBoxOk | kIconError;

inline const std::wstring kConfirmationTitle = L"TAVO Windows 10 x64 \u2013 Setup";
inline const std::wstring kTitle = L"TAVO x64";

inline std::wstring confirmation_text(const std::wstring& target) {
  return L"TAVO-Editor und USB-Bruecke werden eingerichtet.\n\nZielordner:\n" + target +
         L"\n\nDie Originalsoftware ist im Paket enthalten. Eine vorhandene Installation wird nicht "
         L"ueberschrieben. Fortfahren?";
}

inline const std::wstring kBindingReadyText =
    L"Installation abgeschlossen. Die TAVO-WinUSB-Zuordnung ist bereit. Zum Starten TAVO-starten.exe im neuen "
    L"Ordner verwenden.";

inline const std::wstring kBindingMissingText =
    L"Die Editorfassung wurde vorbereitet. Die Treiberzuordnung fehlt noch. TAVO einschalten, per USB "
    L"anschliessen und TAVO-Treiber-installieren.exe im neuen Ordner starten.";

inline const std::wstring kFailureText =
    L"Setup wurde abgebrochen. Bitte den originalen TAVO-1.1-Ordner mit App und Tavo verwenden und das ganze "
    L"Paket entpacken. Einzelheiten stehen in Setup-Ergebnis.txt. Ein vorhandener Zielordner wird nicht "
    L"ungeprueft ueberschrieben.";

inline const std::string kSuccessReport =
    "OK\nVersion: 1.0.0\nPreparation complete; no original software overwritten.\n";

inline std::string failure_report(const std::string& message) { return "ERROR\n" + message + "\n"; }

}  // namespace tavo::setup
