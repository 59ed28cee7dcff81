"""An apps.ini another program has filled: its InstallID and many keys of its own, every one of
which a commit must leave as it found it."""


def other_program_ini(vendor_section, install_id, keys):
    """({section: {key: value}}, the file's bytes): install_id as InstallID under vendor_section
    and `keys` keys of another program in 20 sections."""
    sections = {vendor_section: {"InstallID": install_id}}
    per = max(1, keys // 20)
    for n in range(keys):
        sections.setdefault(f"Other\\Program{n // per:02d}", {})[f"key{n:05d}"] = f"value {n}"
    text = "".join(f"[{name}]\r\n" + "".join(f"{k}={v}\r\n" for k, v in entries.items())
                   for name, entries in sections.items())
    return sections, text.encode("ascii")


def lost_keys(found, others):
    """What a {section: {key: value}} reading lacks of others, one text a section."""
    faults = []
    for name, entries in others.items():
        kept = found.get(name, {})
        lost = [k for k, v in entries.items() if kept.get(k) != v]
        if lost:
            faults.append(f"[{name}] lost {len(lost)} of {len(entries)} keys")
    return faults
