// Runs the Debian tools the generator needs, a few at a time.
import { execFile } from 'node:child_process';
import { promisify } from 'node:util';
import os from 'node:os';

const exec = promisify(execFile);
// ImageMagick by its full path: a different program named convert may come first on PATH.
export const CONVERT = '/usr/bin/convert';
export const RSVG = '/usr/bin/rsvg-convert';

export async function run(cmd, args, options = {}) {
  try {
    return await exec(cmd, args, { maxBuffer: 64 << 20, ...options });
  } catch (e) {
    throw new Error(`${cmd} ${args.join(' ')} failed: ${e.stderr || e.message}`);
  }
}

export async function eachLimited(items, work, limit = Math.max(1, os.cpus().length)) {
  let next = 0;
  const workers = Array.from({ length: limit }, async () => {
    while (next < items.length) {
      const i = next++;
      await work(items[i], i);
    }
  });
  await Promise.all(workers);
}
