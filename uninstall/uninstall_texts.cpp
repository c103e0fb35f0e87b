// The uninstaller's texts, written in UTF-8 here and compiled to
// Windows-1252 bytes. The format texts take one path.
#include "uninstall/uninstall_texts.h"
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"

namespace {

const char *const Texts[UninstallTextCount][2] = {
    {"Désinstallation de Nimbalune", "Removing Nimbalune"},
    {"Voulez-vous enlever Nimbalune de cet ordinateur ?\n\nSes fichiers seront enlevés de ce dossier :\n%s",
     "Remove Nimbalune from this computer?\n\nIts files will be removed from this folder:\n%s"},
    {"Nimbalune n'est pas installé sur cet ordinateur.", "Nimbalune is not installed on this computer."},
    {"Nimbalune a été enlevé de cet ordinateur.", "Nimbalune has been removed from this computer."},
    {"Nimbalune a été enlevé de cet ordinateur. La désinstallation sera terminée au prochain démarrage de "
     "Windows : son programme de désinstallation et son dossier seront alors effacés.",
     "Nimbalune has been removed from this computer. The removal is complete once Windows restarts: its "
     "uninstaller and its folder are deleted then."},
    {"Nimbalune n'a pas pu être enlevé entièrement : il reste inscrit sur cet ordinateur. Relancez la "
     "désinstallation quand les fichiers ci-dessous seront libres.",
     "Nimbalune could not be removed completely: it stays registered on this computer. Run the removal "
     "again once the files below are free."},
    {"Le dossier \"%s\" n'est pas une installation de Nimbalune : il ne contient pas la liste des fichiers "
     "installés (Uninstal.lst) qui nomme son programme. Rien n'a été enlevé.",
     "The folder \"%s\" is not an installation of Nimbalune: it does not hold the list of installed files "
     "(Uninstal.lst) naming its program. Nothing was removed."},
    {"Le dossier \"%s\" est un lien vers un autre dossier : rien n'est enlevé à travers un lien. Rien n'a "
     "été enlevé.",
     "The folder \"%s\" is a link to another folder: nothing is removed through a link. Nothing was removed."},
    {"La liste des fichiers installés (Uninstal.lst) du dossier \"%s\" est endommagée : elle n'est pas "
     "entière ou ne se nomme pas elle-même. Rien n'a été enlevé.",
     "The list of installed files (Uninstal.lst) in the folder \"%s\" is damaged: it is not whole or does "
     "not name itself. Nothing was removed."},
    {"Nimbalune est peut-être encore ouvert. Fermez-le, puis relancez la désinstallation. Rien n'a été "
     "enlevé.",
     "Nimbalune may still be running. Close it, then run the removal again. Nothing was removed."},
    {"Le dossier de Nimbalune inscrit dans win.ini est trop long ou n'est pas un chemin complet. Rien n'a "
     "été enlevé.",
     "The folder of Nimbalune recorded in win.ini is too long or not a full path. Nothing was removed."},
    {"Nimbalune est encore ouvert et ne s'est pas fermé. Fermez-le, puis relancez la désinstallation. Rien "
     "n'a été enlevé.",
     "Nimbalune is still running and did not close. Close it, then run the removal again. Nothing was "
     "removed."},
    {"\n\nLe dossier \"%s\" est conservé : il contient des fichiers que Nimbalune n'a pas installés.",
     "\n\nThe folder \"%s\" was kept: it holds files that Nimbalune did not install."},
    {"\n\nLe fichier \"%s\" est utilisé par un programme : il est conservé.",
     "\n\nThe file \"%s\" is in use by a program: it was kept."},
    {"\n\nL'accès au fichier \"%s\" est refusé : il est conservé.",
     "\n\nAccess to the file \"%s\" is denied: it was kept."},
    {"\n\nLe fichier \"%s\" est sur un support en lecture seule : il est conservé.",
     "\n\nThe file \"%s\" is on a read-only medium: it was kept."},
    {"\n\nLe dossier \"%s\" est utilisé par un programme : il est conservé.",
     "\n\nThe folder \"%s\" is in use by a program: it was kept."},
    {"\n\n\"%s\" est un lien vers un autre dossier : il n'a pas été suivi et reste en place.",
     "\n\n\"%s\" is a link to another folder: it was not followed and stays in place."},
    {"\n\n\"%s\" est la racine d'un disque ou le dossier de Windows : seuls les fichiers installés par "
     "Nimbalune en ont été enlevés.",
     "\n\n\"%s\" is the root of a drive or the Windows folder: only the files Nimbalune installed were "
     "removed from it."},
    {"\n\nLe dossier \"%s\" n'existait plus.", "\n\nThe folder \"%s\" no longer existed."},
    {"\n\nLa liste \"%s\" n'a pas pu être lue en entier : elle est conservée.",
     "\n\nThe list \"%s\" could not be read whole: it was kept."},
    {"\n\n(et d'autres encore)", "\n\n(and more)"},
};

const int LanguageValueSize = 4;

} // namespace

int UninstallLanguage()
{
    char value[LanguageValueSize];
    GetProfileStringA(ProductSection, LanguageKey, "", value, LanguageValueSize);
    if (lstrcmpA(value, "0") == 0)
        return LanguageFrench;
    if (lstrcmpA(value, "1") == 0)
        return LanguageEnglish;
    return ProposedLanguage();
}

const char *UninstallText(int id, int language)
{
    if (id < 0 || id >= UninstallTextCount)
        return "";
    return Texts[id][language == LanguageEnglish ? 1 : 0];
}
