#!/usr/bin/env bash
# Fails when a link in README.md or docs/ points to a file that does not exist,
# or to a heading that the file does not have. Web links are not followed.
set -euo pipefail
cd "$(dirname "$0")/.."

perl -CSD -e '
  use strict;
  use warnings;
  use File::Basename qw(dirname);

  # The anchors a Markdown file offers, as the repository host makes them
  # from its headings.
  my %anchors;
  sub anchors_of {
    my ($file) = @_;
    return $anchors{$file} if $anchors{$file};
    my %found;
    open(my $in, "<", $file) or die "check-links: cannot read $file: $!\n";
    my $fenced = 0;
    while (my $line = <$in>) {
      $fenced = !$fenced if $line =~ /^\s*```/;
      next if $fenced or $line !~ /^#+\s+(.*?)\s*$/;
      (my $anchor = lc $1) =~ s/[^\w\- ]//g;
      $anchor =~ tr/ /-/;
      $found{$anchor} = 1;
    }
    return $anchors{$file} = \%found;
  }

  my $broken = 0;
  for my $file (@ARGV) {
    open(my $in, "<", $file) or die "check-links: cannot read $file: $!\n";
    my $fenced = 0;
    while (my $line = <$in>) {
      if ($line =~ /^\s*```/) { $fenced = !$fenced; next; }
      next if $fenced;
      $line =~ s/`[^`]*`//g;    # code spans hold no links
      while ($line =~ /\]\(([^)\s]+)\)/g) {
        my $target = $1;
        next if $target =~ m{^[a-z]+:}i;    # http:, https:, mailto:
        my ($path, $anchor) = $target =~ /^([^#]*)(?:#(.*))?$/;
        my $resolved = $path eq "" ? $file : dirname($file) . "/" . $path;
        if (!-e $resolved) {
          print "$file:$.: the link \"$target\" points to $resolved, which does not exist\n";
          $broken = 1;
        } elsif (defined $anchor && $resolved =~ /\.md$/ && !anchors_of($resolved)->{$anchor}) {
          print "$file:$.: the link \"$target\": $resolved has no heading \"#$anchor\"\n";
          $broken = 1;
        }
      }
    }
  }
  exit $broken;
' README.md $(find docs -name '*.md' | sort)
echo "Every link in README.md and docs/ resolves."
