"""How often a process's memory holds a text (run as root: the programs that hold passwords are
not dumpable, so only root reads their memory).

    memory_holds.py PID TEXT
"""
import sys


def main():
    pid, secret = sys.argv[1], sys.argv[2].encode()
    found = 0
    with open(f"/proc/{pid}/maps") as maps, open(f"/proc/{pid}/mem", "rb", 0) as mem:
        for line in maps:
            fields = line.split()
            if "r" not in fields[1]:
                continue
            start, end = (int(x, 16) for x in fields[0].split("-"))
            try:
                mem.seek(start)
                found += mem.read(end - start).count(secret)
            except OSError:
                pass
    print(found)


if __name__ == "__main__":
    main()
