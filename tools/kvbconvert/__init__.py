"""kvb-convert's parts: inputs (what is read: files, folders, archives) and
folders (the record folders: names, what is up to date, placing, records.csv)."""
