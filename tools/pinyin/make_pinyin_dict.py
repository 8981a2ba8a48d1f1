#!/usr/bin/env python3
"""Builds the keyboard's pinyin dictionary files pya ... pyz (no i, u, v).

Source: Debian package rime-data-pinyin-simp, file
/usr/share/rime-data/pinyin_simp.dict.yaml (Apache-2.0; derived from the
Android Pinyin IME). Each entry there is "text<TAB>pinyin syllables<TAB>weight".

Output format (GB2312, LF line ends, one line per key, keys ascending):
    key cand1 cand2 ...
Keys are whole syllables (single characters) and, for phrases, both the full
pinyin and the initial letters of the phrase. Candidates are ordered by
weight; on a syllable key the single characters come before the phrases.

The keyboard splits a line into pages of at most ten candidates and at most
about 250 pixels (each candidate counts 16 per two GBK bytes plus 9); its page
table holds 15 pages, and lines are cut to MAX_PAGES pages so the largest one
(ji) keeps 110 characters.

Usage: make_pinyin_dict.py [--source FILE] [--phrases N] [--check] OUTPUT_DIR
With --check the files in OUTPUT_DIR are compared with a fresh build instead
of written (exit 1 when they differ, 77 when the source is not installed).
"""
import argparse
import collections
import os
import sys
import tempfile

DEFAULT_SOURCE = "/usr/share/rime-data/pinyin_simp.dict.yaml"
LETTERS = [c for c in "abcdefghijklmnopqrstuvwxyz" if c not in "iuv"]
MAX_PAGES = 11          # the keyboard holds 15; 11 keeps lines easy to page
PAGE_LIMIT = 250
PAGE_COUNT = 10

# Words of the trade that operators type into project, unit and hole names.
# They are always taken, ranked at least DOMAIN_WEIGHT on their keys.
DOMAIN_WEIGHT = 2000
DOMAIN_PHRASES = """
桩基 zhuang ji|灌注桩 guan zhu zhuang|钻孔 zuan kong|钻孔桩 zuan kong zhuang|成孔 cheng kong
孔深 kong shen|孔径 kong jing|孔号 kong hao|桩号 zhuang hao|桩径 zhuang jing|桩长 zhuang chang
沉渣 chen zha|沉渣厚度 chen zha hou du|泥浆 ni jiang|电阻率 dian zu lv|检测 jian ce|测试 ce shi
桥梁 qiao liang|大桥 da qiao|特大桥 te da qiao|高架桥 gao jia qiao|桥墩 qiao dun|承台 cheng tai
墩台 dun tai|隧道 sui dao|高速公路 gao su gong lu|公路 gong lu|铁路 tie lu|高铁 gao tie|地铁 di tie
轨道交通 gui dao jiao tong|车站 che zhan|市政 shi zheng|标段 biao duan|项目部 xiang mu bu
项目 xiang mu|工程 gong cheng|工程局 gong cheng ju|有限公司 you xian gong si|分公司 fen gong si
集团 ji tuan|建设 jian she|建筑 jian zhu|建工 jian gong|路桥 lu qiao|中铁 zhong tie|中建 zhong jian
中交 zhong jiao|水利 shui li|水电 shui dian|港口 gang kou|码头 ma tou|房建 fang jian|基础 ji chu
地基 di ji|基坑 ji keng|勘察 kan cha|设计院 she ji yuan|监理 jian li|施工 shi gong
施工单位 shi gong dan wei|检测中心 jian ce zhong xin|质检站 zhi jian zhan|试验室 shi yan shi
左幅 zuo fu|右幅 you fu|里程 li cheng
"""


def domain_entries():
    out = {}
    for item in DOMAIN_PHRASES.replace("\n", "|").split("|"):
        item = item.strip()
        if item:
            text, pinyin = item.split(" ", 1)
            out[(text, tuple(pinyin.split()))] = DOMAIN_WEIGHT
    return out


def gb2312(text):
    try:
        return text.encode("gb2312")
    except UnicodeEncodeError:
        return None


def page_count(cands):
    """Pages the keyboard needs for a candidate list (same rule as the widget)."""
    pages, s, n = 0, 0, len(cands)
    while s < n:
        width, k = 0, s
        while True:
            width += 16 * (len(cands[k].encode("gbk")) // 2) + 9
            if width > PAGE_LIMIT or k == s + PAGE_COUNT - 1 or k == n - 1:
                break
            k += 1
        pages += 1
        s = k + 1
    return pages


def fit_pages(cands, max_pages):
    """Longest prefix of cands that needs at most max_pages pages."""
    if page_count(cands) <= max_pages:
        return cands
    lo, hi = 0, len(cands)
    while lo < hi:
        mid = (lo + hi + 1) // 2
        if page_count(cands[:mid]) <= max_pages:
            lo = mid
        else:
            hi = mid - 1
    return cands[:lo]


def read_source(path):
    entries = {}
    in_body = False
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not in_body:
                in_body = line == "..."
                continue
            if not line or line.startswith("#"):
                continue
            parts = line.split("\t")
            if len(parts) < 2:
                continue
            text, pinyin = parts[0], parts[1]
            weight = int(parts[2]) if len(parts) > 2 and parts[2].strip().isdigit() else 0
            syllables = pinyin.split()
            if not syllables or not all(s.isascii() and s.isalpha() and s.islower() for s in syllables):
                continue
            if len(syllables) != len(text) or gb2312(text) is None:
                continue
            # Only Chinese characters (two bytes each in GB2312) become candidates.
            if len(gb2312(text)) != 2 * len(text):
                continue
            key = (text, tuple(syllables))
            entries[key] = max(weight, entries.get(key, 0))
    return entries


def build(entries, phrase_count):
    singles = collections.defaultdict(dict)   # key -> text -> weight
    phrases = collections.defaultdict(dict)
    phrase_entries = sorted(((w, t, s) for (t, s), w in entries.items() if len(t) > 1),
                            key=lambda e: (-e[0], e[1], e[2]))
    for (text, syl), w in entries.items():
        if len(text) == 1:
            singles[syl[0]][text] = max(w, singles[syl[0]].get(text, 0))
    taken = [(w, t, s) for w, t, s in phrase_entries[:phrase_count]]
    for (text, syl), w in domain_entries().items():
        assert len(syl) == len(text) and gb2312(text), text
        taken.append((max(w, entries.get((text, syl), 0)), text, syl))
    for w, text, syl in taken:
        for key in ("".join(syl), "".join(s[0] for s in syl)):
            phrases[key][text] = max(w, phrases[key].get(text, 0))

    def ordered(d):
        return [t for t, _ in sorted(d.items(), key=lambda tw: (-tw[1], tw[0]))]

    lines = {}
    for key in set(singles) | set(phrases):
        cands = ordered(singles.get(key, {}))
        seen = set(cands)
        cands += [t for t in ordered(phrases.get(key, {})) if t not in seen]
        cands = fit_pages(cands, MAX_PAGES)
        if cands:
            lines[key] = cands
    return lines


def write(lines, outdir):
    os.makedirs(outdir, exist_ok=True)
    total = 0
    for letter in LETTERS:
        keys = sorted(k for k in lines if k[0] == letter)
        with open(os.path.join(outdir, "py" + letter), "wb") as f:
            for k in keys:
                f.write((k + " " + " ".join(lines[k]) + "\n").encode("gb2312"))
        total += len(keys)
    return total


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--source", default=DEFAULT_SOURCE)
    ap.add_argument("--phrases", type=int, default=11000,
                    help="number of phrases taken, most frequent first")
    ap.add_argument("--check", action="store_true")
    ap.add_argument("outdir")
    a = ap.parse_args()
    if a.check and not os.path.exists(a.source):
        print("source dictionary not installed: " + a.source)
        sys.exit(77)
    lines = build(read_source(a.source), a.phrases)
    stray = [k for k in lines if k[0] not in LETTERS]
    if stray:
        sys.exit("keys without a dictionary file: " + " ".join(sorted(stray)[:10]))
    if a.check:
        with tempfile.TemporaryDirectory() as tmp:
            write(lines, tmp)
            for letter in LETTERS:
                name = "py" + letter
                with open(os.path.join(tmp, name), "rb") as fresh, open(os.path.join(a.outdir, name), "rb") as kept:
                    if fresh.read() != kept.read():
                        sys.exit(name + " differs from a fresh build")
        print("dictionary files match a fresh build")
        return
    total = write(lines, a.outdir)
    biggest = max(lines, key=lambda k: len(lines[k]))
    print(f"{total} lines; largest line {biggest} with {len(lines[biggest])} candidates")


if __name__ == "__main__":
    main()
