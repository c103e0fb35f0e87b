"""The Nimbalune distribution medium: built from a product folder and
checked as Windows 95 reads it. One module a concern:

  layout.py      the layout table (install/medium_layout.def) and fixed names
  compressed.py  the LZ compressed format the setup expands
  tree.py        a medium folder's names and contents, walked safely
  image.py       the ISO 9660 image, written by xorriso
  iso_reader.py  an image read as Windows 95 reads a CD, record by record
  mark.py        NIMBALUN.MED: the mark and the SHA-256 list of every file
  check.py       the rules every medium must keep
  short_names.py Windows 95's ~N short names, which may open another file
  ownership.py   what the build may replace: OUT, OUT.iso, OUT.manifest
  scratch.py     the scratch folder beside OUT and the builds' turns
  build.py       the build: assembly, packing, the image, replacing OUT
  command.py     the command line, its messages and exit codes

usage: python3 tools/medium build|check ... (see command.py)
"""
