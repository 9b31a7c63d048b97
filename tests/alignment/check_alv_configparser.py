#!/usr/bin/python3
"""The value file read back by an independent INI reader (configparser).

The program's writer (alv_writer.exe, under Wine) saves the values of a fit
beside a movie; configparser must find one section "Data" with every key
in the order the program writes them, as decimal integers: "Position_H" the
negated horizontal offset, "FocalLength" 35, "Mean_Error_H" in 1/10000 pixel,
the perspective shifts, canvas and perspective-rotation switch cleared.

usage: check_alv_configparser.py WINE_RUN ALV_WRITER
"""
import configparser
import os
import subprocess
import sys
import tempfile

KEYS = ['AlignmentValueFile', 'Rotation_L', 'Rotation_R', 'Size1000_L', 'Size1000_R', 'Position_H',
        'N_Position_V', 'PerspectiveV_L', 'PerspectiveV_R', 'PerspectiveH_L', 'PerspectiveH_R', 'FocalLength',
        'PersShift_L', 'PersShift_R', 'CanvasHeight', 'ReversePerspective', 'Barrel_L', 'Barrel_R',
        'Near_Far_Point', 'Image_Width', 'Image_Height', 'Mean_Error_H']


def main():
    wine_run, writer = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as tmp:
        movie = os.path.join(tmp, 'take 1.avi')
        open(movie, 'wb').close()
        values = [7, -8, -3, 4, -12, 5, 11, -11, 2, -2, 100, 100, 31, 1280, 720]
        subprocess.run([wine_run, writer, 'Z:' + movie.replace('/', '\\')] + [str(v) for v in values]
                       + ['0.43219'], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        path = os.path.join(tmp, 'alignment', 'take 1.alv')
        parser = configparser.ConfigParser()
        parser.optionxform = str   # keep the keys' case
        with open(path, encoding='ascii') as f:
            parser.read_file(f)
        ok = parser.sections() == ['Data']
        keys = list(parser['Data'].keys())
        ok &= keys == KEYS
        got = {k: int(parser['Data'][k]) for k in keys}
        want = dict(zip(KEYS, [1, 7, -8, -3, 4, 12, 5, 11, -11, 2, -2, 35, 0, 0, 0, 0, 100, 100, 31, 1280, 720,
                               4321]))
        ok &= got == want
        print('sections %s' % parser.sections())
        for k in KEYS:
            print('  %-20s %8s  %s' % (k, got.get(k), 'ok' if got.get(k) == want[k] else 'want %d' % want[k]))
        if keys != KEYS:
            print('key order: %s' % keys)
    print('the value file reads back with configparser' if ok else 'VALUE FILE CHECK FAILED')
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main())
