#!/usr/bin/env bash
# check-metainfo.sh DESKTOP_DIR VERSION APP_ID: what software centres and file managers read
# from the metainfo and the desktop entry beyond what the validators check: this version is
# released, the Russian texts keep up with the English ones, the content rating warns of the
# chat, the licence is the project's, and both files claim the same file types.
set -euo pipefail
dir=$1 version=$2 id=$3
metainfo=$dir/$id.metainfo.xml
desktop=$dir/$id.desktop

# The desktop entry's file types, one a line, sorted.
desktop_types=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n' | sed '/^$/d' | sort)
exec_line=$(sed -n 's/^Exec=//p' "$desktop")

/usr/bin/python3 - "$metainfo" "$version" "$id" "$desktop_types" "$exec_line" <<'EOF'
import sys
import xml.etree.ElementTree as ET

metainfo, version, app_id, desktop_types, exec_line = sys.argv[1:]
LANG = '{http://www.w3.org/XML/1998/namespace}lang'
root = ET.parse(metainfo).getroot()
failures = []

def fail(text):
    failures.append(text)

def text_of(path):
    return [(e.get(LANG), (e.text or '').strip()) for e in root.findall(path)]

# The release notes of this version, first in the list (software centres show the first).
releases = root.findall('releases/release')
if not releases or releases[0].get('version') != version:
    fail(f"the first release is {releases[0].get('version') if releases else 'missing'}, "
         f"expected {version}")
elif releases[0].find('description') is None:
    fail(f"release {version} has no description")

# Name, summary and every paragraph and list item of the descriptions in Russian too.
for path in ('name', 'summary'):
    langs = [lang for lang, _ in text_of(path)]
    if None not in langs or 'ru' not in langs:
        fail(f"<{path}> needs an untranslated and a Russian text, has {langs}")
for description in root.iter('description'):
    for kind in ('p', 'li'):
        items = list(description.iter(kind))
        english = sum(1 for e in items if e.get(LANG) is None)
        russian = sum(1 for e in items if e.get(LANG) == 'ru')
        if english != russian:
            fail(f"a description has {english} <{kind}> in English and {russian} in Russian")
keyword_langs = {lang for lang, _ in text_of('keywords/keyword')}
if not {None, 'ru'} <= keyword_langs:
    fail(f"keywords in English and Russian expected, languages: {keyword_langs}")
if not root.findall('categories/category'):
    fail("no categories")

# The chat is free text between the players.
chat = [e.text for e in root.findall("content_rating/content_attribute[@id='social-chat']")]
if root.find('content_rating') is None or root.find('content_rating').get('type') != 'oars-1.1':
    fail("no OARS 1.1 content rating")
if chat != ['intense']:
    fail(f"social-chat is rated {chat}, expected intense")

# The project's licence, and metadata free to copy.
if root.findtext('project_license') != 'GPL-3.0-or-later':
    fail(f"project_license is {root.findtext('project_license')!r}")
if root.findtext('metadata_license') not in ('FSFAP', 'CC0-1.0'):
    fail(f"metadata_license is {root.findtext('metadata_license')!r}")

# It launches this desktop entry, which opens the types the metainfo says it opens.
if [e.text for e in root.findall("launchable[@type='desktop-id']")] != [app_id + '.desktop']:
    fail(f"the launchable is not {app_id}.desktop")
mediatypes = sorted(e.text for e in root.findall('provides/mediatype'))
if mediatypes != desktop_types.split():
    fail(f"metainfo provides {mediatypes}, the desktop entry claims {desktop_types.split()}")
if 'application/x-korvalen-game' not in mediatypes:
    fail("the program's own saved games are not among the types it opens")
# A file manager hands the chosen file over only through a field code in Exec.
if mediatypes and not any(code in exec_line.split() for code in ('%f', '%F', '%u', '%U')):
    fail(f"Exec={exec_line} takes no file, but file types are claimed")

for text in failures:
    print('FAIL:', text)
if not failures:
    print(f"metainfo: release {version}, Russian texts, OARS, licence, "
          f"{len(mediatypes)} file types as in the desktop entry")
sys.exit(1 if failures else 0)
EOF
