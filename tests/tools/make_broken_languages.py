#!/usr/bin/python3
"""Writes English language scripts with one kind of fault each, for the langcheck tests.
Usage: make_broken_languages.py <lang/en.rc> <out folder>. Each edit must find its text:
a changed en.rc fails here loudly instead of giving a module without its fault."""
import sys
from pathlib import Path

LONG_QUESTION = "Are you really, truly and entirely sure " * 6 + "that you want to log off?"
UTF8 = "#pragma code_page(65001)\n"

# name: (edits, first line, encoding the script is saved in)
FAULTS = {
    # A tooltip the plug-in would show empty.
    "missing": ([('    IDS_TIP_CANCEL "Close this window"\n', "")], "", "ascii"),
    # A string the plug-in never reads.
    "extra": ([('    IDS_TIP_CANCEL "Close this window"\n',
                '    IDS_TIP_CANCEL "Close this window"\n    4242 "Left over"\n')], "", "ascii"),
    # A tag the markup does not know, and one left open at the end.
    "markup": ([('"<b>Log off (L)</b>', '"<bold>Log off (L)</b>'),
                ('starts Windows again."', 'starts Windows again. <br"')], "", "ascii"),
    # A control of another identifier, another class and another style.
    "controls": ([('PUSHBUTTON "About", IDC_ABOUT_BUTTON,', 'PUSHBUTTON "About", 4,'),
                  ('LTEXT "Hot key:", -1, 7, 122, 29, 12, SS_CENTERIMAGE',
                   'CONTROL "Hot key:", -1, "Edit", SS_CENTERIMAGE, 7, 122, 29, 12'),
                  ('AUTOCHECKBOX "Log off", IDC_CHECK_LOGOFF, 15, 36, 83, 9',
                   'AUTORADIOBUTTON "Log off", IDC_CHECK_LOGOFF, 15, 36, 83, 9')], "", "ascii"),
    # A button text wider than its button, a question longer than its place, and a
    # caption longer than the plug-in reads and the exit window shows.
    "fit": ([('"Get more skins...", IDC_GET_SKINS',
              '"Get many more skins from the library...", IDC_GET_SKINS'),
             ('IDS_ASK_LOGOFF "Are you sure you want to log off?"',
              f'IDS_ASK_LOGOFF "{LONG_QUESTION}"'),
             ('IDS_CAPTION_LOGOFF "Log off"', 'IDS_CAPTION_LOGOFF "' + "Log off " * 40 + '"')],
            "", "ascii"),
    # UTF-8 without its pragma: the compiler reads it as Windows-1252.
    "mojibake": ([('IDS_CAPTION_TURNOFF "Turn Off"', 'IDS_CAPTION_TURNOFF "Arrêter"')],
                 "", "utf-8"),
    # Saved as Windows-1252 but declared UTF-8: the compiler ends the string at "ê".
    "cut": ([('IDS_ASK_TURNOFF "Are you sure you want to shut down?"',
              'IDS_ASK_TURNOFF "Voulez-vous vraiment arrêter l\'ordinateur ?"')], UTF8, "cp1252"),
    # What other compilers put for bytes their code page does not have.
    "unreadable": ([('IDS_TIP_CANCEL "Close this window"', 'IDS_TIP_CANCEL "Close this \ufffdwindow"')],
                   UTF8, "utf-8"),
    # A tooltip whose title names another key than its action's.
    "letter": ([('"<b>Turn Off (T)</b>', '"<b>Turn Off (A)</b>')], "", "ascii"),
}


def main():
    english = Path(sys.argv[1]).read_text()
    out = Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    for name, (edits, first_line, encoding) in FAULTS.items():
        text = english
        for old, new in edits:
            if old not in text:
                sys.exit(f"make_broken_languages: '{old}' is not in {sys.argv[1]}")
            text = text.replace(old, new, 1)
        (out / f"{name}.rc").write_bytes((first_line + text).encode(encoding))


if __name__ == "__main__":
    main()
