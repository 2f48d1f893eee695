#!/usr/bin/env python3
# Writes the BASIC reference (resources/help/Taloma-BASIC.html) and its English copy from
# basic_entries.py, so that both languages list the same entries under the same anchors.
import os
from basic_entries import ENTRIES, SECTIONS

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', '..', 'resources', 'help')

TEXT = {
    'de': dict(title='Taloma-BASIC - Referenz', contents='Inhalt', top='Zum Inhalt', example='Beispiel',
               basics='Grundlagen',
               intro='Diese Referenz beschreibt den BASIC-Interpreter des 8052AH-BASIC in Kurzform: jedes Kommando, '
                     'jede Anweisung, die Operatoren, Funktionen, Spezialvariablen und Fehlermeldungen mit einem kurzen '
                     'Beispiel. Wie Sie Programme schreiben und übertragen, steht in der '
                     '<a href="Taloma-Terminal.html">Hilfe zu Taloma-Terminal</a>.',
               basics_text=[
                   'Eine Programmzeile beginnt mit ihrer Zeilennummer (0 bis 65535). Eine Zeile mit einer schon '
                   'vorhandenen Nummer ersetzt die alte; eine Nummer allein löscht die Zeile. Der Interpreter hält die '
                   'Zeilen stets nach Nummern geordnet, gleich in welcher Reihenfolge sie ankommen.',
                   'Zahlen sind Gleitkommazahlen mit acht gültigen Stellen, etwa <code>3.14159</code> oder '
                   '<code>1.5E-3</code>. Hexadezimalzahlen enden auf H und beginnen mit einer Ziffer: '
                   '<code>0FFH</code>. Operatoren wie <code>.AND.</code> arbeiten mit ganzen Zahlen von 0 bis 65535.',
                   'Variablennamen beginnen mit einem Buchstaben und dürfen kein Schlüsselwort enthalten. Felder werden '
                   'mit Index in Klammern angesprochen: <code>A(3)</code>. Zeichenketten heißen <code>$(0)</code>, '
                   '<code>$(1)</code> ... und brauchen vorher STRING.',
                   'Eine Zeile ist höchstens 78 Zeichen lang; jedes weitere Zeichen beantwortet das Board mit BEL und verwirft es. Control C hält ein laufendes Programm oder eine Ausgabe an.',
               ]),
    'en': dict(title='Taloma-BASIC - Reference', contents='Contents', top='To the contents', example='Example',
               basics='Basics',
               intro='This reference describes the BASIC interpreter of the 8052AH-BASIC in short: every command and '
                     'statement, the operators, functions, special variables and error messages, each with a short '
                     'example. How to write programs and send them is told in the '
                     '<a href="Taloma-Terminal-en.html">Taloma-Terminal help</a>.',
               basics_text=[
                   'A program line begins with its line number (0 to 65535). A line with a number already present '
                   'replaces the old one; a number alone deletes the line. The interpreter keeps the lines ordered by '
                   'number, whatever the order they arrive in.',
                   'Numbers are floating-point numbers with eight significant digits, such as <code>3.14159</code> or '
                   '<code>1.5E-3</code>. Hexadecimal numbers end in H and begin with a digit: <code>0FFH</code>. '
                   'Operators such as <code>.AND.</code> work on whole numbers from 0 to 65535.',
                   'Variable names begin with a letter and must not contain a keyword. Array elements take their index '
                   'in parentheses: <code>A(3)</code>. Strings are called <code>$(0)</code>, <code>$(1)</code> ... and '
                   'need STRING first.',
                   'A line is at most 78 characters long; the board answers every further character with BEL and drops it. Control C stops a running program or a listing.',
               ]),
}


def page(lang):
    t = TEXT[lang]
    en = lang == 'en'
    out = ['<!DOCTYPE html>', '<html lang="%s">' % lang,
           '<head><meta charset="utf-8"><title>%s</title></head>' % t['title'], '<body>',
           '<h1>%s</h1>' % t['title'], '<p>%s</p>' % t['intro'],
           '<h2><a name="Inhalt"></a>%s</h2>' % t['contents'], '<ul>',
           '<li><a href="#Grundlagen">%s</a></li>' % t['basics']]
    for key, de_title, en_title, _, _ in SECTIONS:
        out.append('<li><a href="#%s">%s</a>: ' % (key, en_title if en else de_title))
        links = ['<a href="#%s">%s</a>' % (anchor, name) for sec, anchor, name, *_ in ENTRIES if sec == key]
        out.append(', '.join(links) + '</li>')
    out.append('</ul>')
    out.append('<h2><a name="Grundlagen"></a>%s</h2>' % t['basics'])
    out += ['<p>%s</p>' % p for p in t['basics_text']]
    for key, de_title, en_title, de_intro, en_intro in SECTIONS:
        out.append('<h2><a name="%s"></a>%s</h2>' % (key, en_title if en else de_title))
        out.append('<p>%s</p>' % (en_intro if en else de_intro))
        for sec, anchor, name, de_text, en_text, example in ENTRIES:
            if sec != key:
                continue
            out.append('<h3><a name="%s"></a>%s</h3>' % (anchor, name))
            out.append('<p>%s</p>' % (en_text if en else de_text))
            out.append('<p>%s:</p><pre>%s</pre>' % (t['example'], example))
        out.append('<p><a href="#Inhalt">%s</a></p>' % t['top'])
    out += ['</body>', '</html>', '']
    return '\n'.join(out)


for lang, name in (('de', 'Taloma-BASIC.html'), ('en', 'Taloma-BASIC-en.html')):
    with open(os.path.join(OUT, name), 'w', encoding='utf-8') as f:
        f.write(page(lang))
