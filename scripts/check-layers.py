#!/usr/bin/env python3
"""Fails when a file includes a header of a higher layer, or a widget-free library links widgets.

The layers, lowest first: platform, catalogue, the formats of the player's files, the widget-free
rules, the player's files' one owner (which gathers those formats), the windows, the app. The
libraries of each layer are listed below; their files are read from the CMakeLists.txt that
declares them, so a file moved between libraries moves between layers with it. Rules of one
library do not include another's, nor windows of one library another's: the app wires them.
The server stands beside the rules: it uses platform, catalogue and rules without widgets, and
nothing of the program uses it.

Folders show the layers too: each folder has a rank, and a file may include headers of its own
folder and of folders ranked below it only, so a plan of the includes between folders has no arrow
running back up and none between two folders of one rank.

The files the program writes in the data folder have one owner, PlayerData: a window or the app
that names one of them, holds the folder's path or writes through DataFile itself fails too.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

LAYERS = {
    'furamio_platform_core': 1,
    'furamio_platform_ui': 1,
    'furamio_catalogue': 2,
    'furamio_player_files': 2.5,
    'furamio_notice': 3,
    'furamio_online': 3,
    'furamio_game_logic': 3,
    'furamio_study_rules': 3,
    'furamio_history_rules': 3,
    'furamio_player_data': 3.5,
    'furamio_online_windows': 4,
    'furamio_game': 4,
    'furamio_study': 4,
    'furamio_history': 4,
    'furamio_app': 5,
    'furamio_server_core': 3,
    'furamio_server_notice': 3,
    'furamio-server': 3,
}
SERVER = {'furamio_server_core', 'furamio_server_notice', 'furamio-server'}
LAYER_NAMES = {1: 'platform', 2: 'catalogue', 2.5: 'player files', 3: 'rules', 3.5: 'player data',
               4: 'windows', 5: 'app'}
# Libraries that must not see widgets (the platform's ui part is the one that may).
WIDGET_FREE = [name for name, layer in LAYERS.items()
               if layer < 4 and name != 'furamio_platform_ui']
WIDGET_LINKS = {'Qt6::Widgets', 'Qt6::Gui', 'furamio_platform_ui'}
FOLDERS = ['platform', 'catalogue', 'online', 'game', 'study', 'history', 'player', 'app',
           'server']
# The player's files and their owner sit under every folder that shows or scores them; the
# rating shows a game's score in the game's number forms.
FOLDER_RANKS = {'platform': 1, 'catalogue': 2, 'player': 3, 'game': 4, 'study': 4, 'history': 4,
                'online': 5, 'app': 6, 'server': 6}

ADD_LIBRARY = re.compile(r'add_library\(\s*([\w-]+)\s+STATIC\s+([^)]*)\)', re.S)
# The server's executable holds its HTTP side; the program's executable is only main.cpp.
ADD_SERVER = re.compile(r'add_executable\(\s*(furamio-server)\s+([^)]*)\)', re.S)
LINK = re.compile(r'target_link_libraries\(\s*([\w-]+)\s+([^)]*)\)', re.S)
# What only the owner of the player's files may do: name one of them, hold the folder, or read
# and write through DataFile or DataFolder.
DATA_FOLDER_USE = re.compile(
    r'"(?:seiseki|jukuren\.csv|machigai\.csv|fukushuu\.csv|miokuri\.csv|dummyz?\.csv)'
    r'|\b(?:m_)?dataPath\b'
    r'|\bDataFile::(?:read|replace|replaceAll|append)\b'
    r'|\bDataFolder::')
# The configuration main() fills carries the folder from where it is chosen to PlayerData.
DATA_FOLDER_CARRIERS = {'app/AppConfig.h'}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SET = re.compile(r'^\s*set\(\s*(\w+)\s+([^)]*)\)', re.M)
VARIABLE = re.compile(r'\$\{(\w+)\}')


def variables(cmake):
    """Every value each set() gives a variable, whichever system's branch it is in."""
    values = {}
    for name, words in SET.findall(cmake):
        values.setdefault(name, []).append(words.split())
    return values


def expand(source, values):
    """The file names a source entry stands for: one per value of the variables in it."""
    found = VARIABLE.search(source)
    if not found:
        return [source]
    names = []
    for words in values.get(found.group(1), []):
        if source == found.group(0):
            replacements = words
        else:
            replacements = words[:1]
        for word in replacements:
            names += expand(source[:found.start()] + word + source[found.end():], values)
    return names


def main():
    layer_of_file = {}
    library_of_file = {}
    problems = []
    for folder in FOLDERS:
        cmake = (ROOT / folder / 'CMakeLists.txt').read_text(encoding='utf-8')
        values = variables(cmake)
        for name, sources in ADD_LIBRARY.findall(cmake) + ADD_SERVER.findall(cmake):
            if name not in LAYERS:
                problems.append(f'{folder}/CMakeLists.txt: library {name} has no layer in '
                                f'scripts/check-layers.py')
                continue
            for source in (name for entry in sources.split() for name in expand(entry, values)):
                if source.isupper() or '$' in source:
                    continue
                path = ROOT / folder / source
                layer_of_file[path] = LAYERS[name]
                library_of_file[path] = name
        for name, links in LINK.findall(cmake):
            if name in WIDGET_FREE and WIDGET_LINKS & set(links.split()):
                problems.append(f'{folder}/CMakeLists.txt: {name} is widget-free but links '
                                f'widgets')

    headers = {path.name: path for path in layer_of_file if path.suffix == '.h'}
    for path, layer in sorted(layer_of_file.items()):
        if not path.exists():
            continue
        for included in INCLUDE.findall(path.read_text(encoding='utf-8')):
            target = headers.get(pathlib.PurePath(included).name)
            if target is None:
                continue
            target_layer = layer_of_file[target]
            here, there = library_of_file[path], library_of_file[target]
            folder_here = path.relative_to(ROOT).parts[0]
            folder_there = target.relative_to(ROOT).parts[0]
            if folder_here != folder_there and (
                    FOLDER_RANKS[folder_there] >= FOLDER_RANKS[folder_here]):
                problems.append(f'{path.relative_to(ROOT)} includes {target.relative_to(ROOT)}: '
                                f'folder {folder_here}/ may use folders ranked below it only')
            if there in SERVER and here not in SERVER:
                problems.append(f'{path.relative_to(ROOT)} includes {target.relative_to(ROOT)}, '
                                f'a part of the server')
            elif target_layer > layer:
                problems.append(
                    f'{path.relative_to(ROOT)} ({LAYER_NAMES[layer]}) includes '
                    f'{target.relative_to(ROOT)} ({LAYER_NAMES[target_layer]})')
            elif (library_of_file[path] in WIDGET_FREE and
                  library_of_file[target] == 'furamio_platform_ui'):
                problems.append(f'{path.relative_to(ROOT)} is widget-free but includes '
                                f'{target.relative_to(ROOT)}')
            elif (target_layer == layer == 3 and here != there and
                  not (here in SERVER and there in SERVER)):
                if here not in SERVER:
                    problems.append(f'{path.relative_to(ROOT)} includes '
                                    f'{target.relative_to(ROOT)}, a rule of another library')
            elif target_layer == layer == 4 and here != there:
                problems.append(f'{path.relative_to(ROOT)} includes {target.relative_to(ROOT)}, '
                                f'a window of another library')

    for path, layer in sorted(layer_of_file.items()):
        relative = path.relative_to(ROOT).as_posix()
        if layer < 4 or not path.exists() or relative in DATA_FOLDER_CARRIERS:
            continue
        found = DATA_FOLDER_USE.search(path.read_text(encoding='utf-8'))
        if found:
            problems.append(f'{relative} ({LAYER_NAMES[layer]}) uses the data folder itself '
                            f'({found.group(0)}); only PlayerData reads and writes its files')

    for problem in problems:
        print(f'layering: {problem}', file=sys.stderr)
    if problems:
        return 1
    print(f'layering: {len(layer_of_file)} files, every include points down, the data folder '
          f'has one owner')
    return 0


if __name__ == '__main__':
    sys.exit(main())
